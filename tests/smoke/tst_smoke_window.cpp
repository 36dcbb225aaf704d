// The real window on a real X server: shown, searched, its context menu opened, then the
// search box's drop-down list, and a screenshot of each written next to the build for a
// person to look at.
#include "app/directory_edit.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class TestSmokeWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void showSearchAndMenu();

private:
    QTemporaryDir m_dir;
};

void TestSmokeWindow::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_dir.isValid());
    // The program's own files go to a folder of the test's: a copy of this executable,
    // which carries the program's version section, stands for the program.
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("bin")));
    const QString exe = m_dir.filePath(QStringLiteral("bin/Palvoric"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), exe));
    platform::overrideExecutablePath(exe);
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "dupont Léa", "DURAND Paul",
                             "Dumas Élodie", "MARTIN Paul"})
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("patients/") + QString::fromUtf8(name)));
    QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
}

void TestSmokeWindow::showSearchAndMenu()
{
    ScriptedDesktop desktop;
    MainWindow form(desktop, {});
    const MainWindowUi &ui = form.ui();
    ui.startFolderEdit->setText(m_dir.filePath(QStringLiteral("patients")));
    form.move(40, 40);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // A bare X server has no window manager to give the window the focus.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("PALVORIC 22.2 | Kestrane ***{:-  | ")));

    QTRY_VERIFY(ui.searchBox->lineEdit()->hasFocus());
    QTest::keyClicks(ui.searchBox->lineEdit(), QStringLiteral("du"));
    QCOMPARE(ui.resultList->count(), 5);
    QCOMPARE(ui.resultList->currentLine(), 0);

    ui.listContextMenu->popup(ui.resultList->mapToGlobal(QPoint(40, 30)));
    QTRY_VERIFY(ui.listContextMenu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(ui.listContextMenu));
    // Let the menu finish drawing before the picture is taken.
    QTRY_VERIFY(!ui.listContextMenu->grab().isNull());

    const QString dir = qEnvironmentVariable("PALVORIC_SCREENSHOT_DIR", QDir::tempPath());
    auto screenshot = [&](const QString &name) {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        return !shot.isNull() && shot.copy(0, 0, 700, 560).save(dir + u'/' + name);
    };
    QVERIFY(screenshot(QStringLiteral("smoke-window.png")));
    ui.listContextMenu->close();
    QTRY_VERIFY(!ui.listContextMenu->isVisible());

    // The history under the search box, in the box's font.
    ui.searchBox->addItems({QStringLiteral("DUPONT Jean"), QStringLiteral("Dumas Élodie")});
    ui.searchBox->setCurrentIndex(-1);
    ui.searchBox->showPopup();
    QTRY_VERIFY(ui.searchBox->view()->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(ui.searchBox->view()->window()));
    QTRY_VERIFY(!ui.searchBox->view()->grab().isNull());
    QVERIFY(screenshot(QStringLiteral("smoke-history.png")));
    ui.searchBox->hidePopup();
    QVERIFY(desktop.failures().isEmpty());
}

QTEST_MAIN(TestSmokeWindow)
#include "tst_smoke_window.moc"
