// Qt's own texts in French: the folder chooser (which shows no title) and the text
// fields' context menu, from the translations the system's Qt brings.
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "tests/app/modal_driver.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The captions a window shows, without their "&" and the shortcut after a tab.
QStringList captionsOf(const QWidget *window)
{
    QStringList captions;
    for (const auto *label : window->findChildren<QLabel *>()) {
        if (label->isVisible())
            captions.append(label->text().remove(u'&'));
    }
    for (const auto *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && !button->text().isEmpty())
            captions.append(button->text().remove(u'&'));
    }
    return captions;
}

} // namespace

class TestQtTranslations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void folderChooser();
    void textFieldMenu();

private:
    QtDesktop m_desktop{QDBusConnection(QStringLiteral("no bus"))};
    ModalDriver m_driver;
};

void TestQtTranslations::initTestCase()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo(folder + QStringLiteral("/qtbase_fr.qm")).isFile())
        QSKIP("Qt's French translations are not installed (package qt6-translations-l10n)");
    QVERIFY(installQtTranslations(*qApp));
}

void TestQtTranslations::folderChooser()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString patient = root.filePath(QStringLiteral("DUPONT Marie 2019"));
    QVERIFY(QDir().mkdir(patient));
    QString title = QStringLiteral("<not shown>");
    QStringList captions;
    QString folderType = QStringLiteral("<not listed>");
    m_driver.run([&] { return m_desktop.chooseFolder(nullptr, root.path()); },
                 [&](QDialog *dialog) {
                     title = dialog->windowTitle();
                     captions = captionsOf(dialog);
                     // The "Type" column of a folder, once the listing has reached it.
                     if (auto *model = dialog->findChild<QFileSystemModel *>()) {
                         const bool listed = QTest::qWaitFor([&] {
                             folderType = model->type(model->index(patient));
                             return !folderType.isEmpty();
                         });
                         if (!listed)
                             folderType = QStringLiteral("<not listed>");
                     }
                     dialog->reject();
                 });
    QVERIFY(m_driver.acted());
    QCOMPARE(title, QString());
    QCOMPARE(folderType, QStringLiteral("Dossier"));
    for (const char *french :
         {"Voir dans :", "Dossier :", "Fichiers de type :", "Choisir", "Annuler"}) {
        QVERIFY2(captions.contains(QString::fromUtf8(french)),
                 qPrintable(captions.join(QStringLiteral(" | "))));
    }
    for (const char *english : {"Look in:", "Directory:", "Files of type:", "Choose", "Cancel"})
        QVERIFY2(!captions.contains(QString::fromUtf8(english)), english);
}

void TestQtTranslations::textFieldMenu()
{
    QLineEdit field(QStringLiteral("DUPONT Marie"));
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList captions;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            captions.append(action->text().section(u'\t', 0, 0).remove(u'&'));
    }
    QCOMPARE(captions, (QStringList{QStringLiteral("Annuler"), QStringLiteral("Rétablir"),
                                    QStringLiteral("Couper"), QStringLiteral("Copier"),
                                    QStringLiteral("Coller"), QStringLiteral("Supprimer"),
                                    QStringLiteral("Tout sélectionner")}));
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qt_translations.moc"
