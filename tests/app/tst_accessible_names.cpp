// What a screen reader is told of the window: every element named in French, the panels
// as groups named by their captions, the count of what was found as the description of
// the list and of the search box, kept up to date as the user types.
#include "tests/app/folder_actions_fixture.h"

#include "app/captioned_panel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text kind)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(kind) : u"<no interface>"_qs;
}

// The elements by a path of object names; "close" and "browse" are the buttons of the
// start-folder panel and field, "edit" a field's own line edit.
QWidget *element(const MainWindowUi &ui, const QString &path)
{
    if (path == u"startFolderPanel")
        return ui.startFolderPanel;
    if (path == u"searchPanel")
        return ui.searchPanel;
    if (path == u"resultPanel")
        return ui.resultPanel;
    if (path == u"close")
        return ui.startFolderPanel->closeButton();
    if (path == u"startFolderEdit")
        return ui.startFolderEdit->lineEdit();
    if (path == u"browse")
        return ui.startFolderEdit->browseButton();
    if (path == u"searchBox")
        return ui.searchBox;
    if (path == u"searchBox edit")
        return ui.searchBox->lineEdit();
    if (path == u"history")
        return ui.searchBox->view();
    if (path == u"result panel's close")
        return ui.resultPanel->closeButton();
    if (path == u"searchButton")
        return ui.searchButton;
    if (path == u"beginsWithCheck")
        return ui.beginsWithCheck;
    if (path == u"copyButton")
        return ui.copyButton;
    if (path == u"resultList")
        return ui.resultList;
    return nullptr;
}

} // namespace

class TestAccessibleNames : public FolderActionsTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void names_data();
    void names();
    void searchBoxIsLabelled();
    void panelsAreGroups();
    void countFollowsTheSearch();
};

void TestAccessibleNames::names_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("start-folder panel")
        << u"startFolderPanel"_qs << u"Dans le dossier de départ suivant ..."_qs;
    QTest::newRow("search panel") << u"searchPanel"_qs
                                  << u"Rechercher les sous-dossiers commençant par ..."_qs;
    QTest::newRow("result panel, its count")
        << u"resultPanel"_qs << u"3 dossier(s) trouvé(s) commençant par \"dupont m\""_qs;
    QTest::newRow("panel's close button") << u"close"_qs << u"Masquer le dossier de départ"_qs;
    QTest::newRow("start-folder field") << u"startFolderEdit"_qs << u"Dossier de départ"_qs;
    QTest::newRow("browse button") << u"browse"_qs << u"Parcourir les dossiers"_qs;
    QTest::newRow("search box's field") << u"searchBox edit"_qs << u"Nom cherché"_qs;
    QTest::newRow("search history") << u"history"_qs << u"Recherches précédentes"_qs;
    QTest::newRow("hidden close button") << u"result panel's close"_qs << u"Fermer"_qs;
    QTest::newRow("search button") << u"searchButton"_qs << u"Chercher"_qs;
    QTest::newRow("check box") << u"beginsWithCheck"_qs << u"Début"_qs;
    QTest::newRow("copy button") << u"copyButton"_qs << u"Copier le nom du dossier dans le PP"_qs;
    QTest::newRow("result list") << u"resultList"_qs << u"Dossiers trouvés"_qs;
}

void TestAccessibleNames::names()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    MainWindow &form = makeForm(u"dupont m"_qs);
    QWidget *widget = element(form.ui(), path);
    QVERIFY(widget);
    QTRY_COMPARE(accessibleText(widget, QAccessible::Name), name);
}

// An editable combo box reads out its text as its name; its label names it.
void TestAccessibleNames::searchBoxIsLabelled()
{
    MainWindow &form = makeForm(u"dupont m"_qs);
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(form.ui().searchBox);
    QVERIFY(box);
    QStringList labels;
    for (const auto &[label, relation] : box->relations(QAccessible::Label))
        labels.append(label->text(QAccessible::Name));
    QCOMPARE(labels, QStringList{u"Nom cherché"_qs});
}

void TestAccessibleNames::panelsAreGroups()
{
    MainWindow &form = makeForm(u"dupont m"_qs);
    const MainWindowUi &ui = form.ui();
    for (QWidget *panel :
         {static_cast<QWidget *>(ui.startFolderPanel), static_cast<QWidget *>(ui.searchPanel),
          static_cast<QWidget *>(ui.resultPanel)}) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(panel);
        QVERIFY(face);
        QCOMPARE(face->role(), QAccessible::Grouping);
    }
}

void TestAccessibleNames::countFollowsTheSearch()
{
    MainWindow &form = makeForm(u"dupont m"_qs);
    const MainWindowUi &ui = form.ui();
    const QString count = u"3 dossier(s) trouvé(s) commençant par \"dupont m\""_qs;
    QTRY_COMPARE(accessibleText(ui.resultList, QAccessible::Description), count);
    QCOMPARE(accessibleText(ui.searchBox->lineEdit(), QAccessible::Description), count);

    QTest::keyClicks(ui.searchBox->lineEdit(), u"arie-"_qs);
    const QString fewer = u"1 dossier(s) trouvé(s) commençant par \"dupont marie-\""_qs;
    QTRY_COMPARE(accessibleText(ui.resultPanel, QAccessible::Name), fewer);
    QCOMPARE(accessibleText(ui.resultList, QAccessible::Description), fewer);
    QCOMPARE(accessibleText(ui.searchBox, QAccessible::Description), fewer);
    QCOMPARE(accessibleText(ui.searchBox->lineEdit(), QAccessible::Description), fewer);
}

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessible_names.moc"
