// The window's settings, history and logs across a close and a new start, against real
// files in a temporary folder that stands for the executable's folder.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/icons.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "search/folder_search.h"
#include "tests/support/app/scripted_desktop.h"
#include "tests/support/file_helpers.h"
#include "tests/support/search/gated_searcher.h"
#include "tests/support/testdir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSessionManager>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

// Takes the application's quit event after the window has seen it, so that the test goes
// on: Qt would close the windows and leave its event loop there.
class QuitStopper : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return watched == qApp && event->type() == QEvent::Quit;
    }
};

} // namespace

class TestMainWindowSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void firstSaveWritesTheSampleLayout();
    void savedFilesMatchTheFixedSample();
    void optionsFolderAndHistoryComeBack();
    void storedContainsModeRunsItsHandler();
    void storedAccentsOption_data();
    void storedAccentsOption();
    void failedSaveKeepsTheWindowOpen();
    void sessionEnd_data();
    void sessionEnd();
    void badGeometryStopsTheLoad();
    void logsTidiedOnlyWithTheOption_data();
    void logsTidiedOnlyWithTheOption();

private:
    MainWindow &start();
    bool closeForm();
    QByteArray read(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes);

    TestDir m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
};

void TestMainWindowSettings::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_dir.createDirs({QStringLiteral("bin"), QStringLiteral("patients/DUPONT Jean")});
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    // The window as the program shows it, with its theme.
    QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
}

void TestMainWindowSettings::init()
{
    for (const char *name : {"Palvoric.INI", "liste.txt", "_JOURNAL.LOG", "_DOSSIERS.LOG"})
        QFile::remove(m_dir.filePath(QStringLiteral("bin/") + QLatin1String(name)));
    m_desktop = std::make_unique<ScriptedDesktop>();
}

void TestMainWindowSettings::cleanup()
{
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    QCOMPARE(failures, QStringList());
}

MainWindow &TestMainWindowSettings::start()
{
    m_form.reset();
    m_form = std::make_unique<MainWindow>(*m_desktop, QStringList());
    m_form->show();
    return *m_form;
}

bool TestMainWindowSettings::closeForm()
{
    return m_form->close();
}

QByteArray TestMainWindowSettings::read(const QString &name) const
{
    return readFileBytes(m_dir.filePath(QStringLiteral("bin/") + name));
}

void TestMainWindowSettings::write(const QString &name, const QByteArray &bytes)
{
    m_dir.createFile(QStringLiteral("bin/") + name, bytes);
}

void TestMainWindowSettings::firstSaveWritesTheSampleLayout()
{
    MainWindow &form = start();
    // No settings yet: the start folder is the executable's folder.
    QCOMPARE(form.startFolder(), m_dir.filePath(QStringLiteral("bin/")));
    form.ui().startFolderEdit->setText(QStringLiteral("/srv/Patients"));
    QVERIFY(closeForm());
    const QString text = QString::fromUtf8(read(QStringLiteral("Palvoric.INI")));
    static const QRegularExpression sample(QStringLiteral(
        "^\\[Palvoric\\]\r\nForm1=-?\\d+:-?\\d+:\\d+:\\d+\r\n"
        "\\[CASES_A_COCHER\\]\r\nchk_DEBUT=1\r\nchk_StayOnTop=0\r\nchk_DOSSIER=1\r\nchk_LOG=1\r\n"
        "chk_ACCENTS=0\r\n"
        "\\[DOSSIER\\]\r\nDATA=/srv/Patients\r\n\\[AFFICHER\\]\r\nDOSSIER=1\r\n$"));
    QVERIFY2(sample.match(text).hasMatch(), qPrintable(text));
    // Nothing was opened: no history is written beyond an empty file.
    QCOMPARE(read(QStringLiteral("liste.txt")), QByteArray("\xEF\xBB\xBF"));
}

void TestMainWindowSettings::savedFilesMatchTheFixedSample()
{
    // A settings file and a history brought from an older copy, with lines the program
    // does not know: after a session, every byte is where the fixed sample says.
    write(QStringLiteral("Palvoric.INI"),
          "; cabinet Dupont\r\n[Palvoric]\r\nForm1=100:50:300:400\r\n[IMPRIMANTE]\r\nNom=HP\r\n"
          "[CASES_A_COCHER]\r\nchk_LOG=0\r\nchk_DEBUT=0\r\n[DOSSIER]\r\nDATA=/srv/old\r\n");
    write(QStringLiteral("liste.txt"), "DUPONT Jean\r\nMARTIN\r\n");
    {
        MainWindow &form = start();
        const MainWindowUi &ui = form.ui();
        ui.beginsWithCheck->setChecked(true);
        ui.actionStayOnTop->trigger();
        ui.actionShowStartFolder->trigger();
        ui.actionIgnoreAccents->trigger();
        ui.startFolderEdit->setText(QStringLiteral("/srv/Patients été"));
        ui.searchBox->insertItem(0, QStringLiteral("Lefèvre Éloïse"));
        form.move(120, 80);    // the frame's corner
        form.resize(316, 416); // the offscreen frame adds 2 pixels each side
        QVERIFY(closeForm());
    }
    QCOMPARE(read(QStringLiteral("Palvoric.INI")),
             QByteArray("; cabinet Dupont\r\n[Palvoric]\r\nForm1=120:80:320:420\r\n"
                        "[IMPRIMANTE]\r\nNom=HP\r\n[CASES_A_COCHER]\r\nchk_LOG=0\r\n"
                        "chk_DEBUT=1\r\nchk_StayOnTop=1\r\nchk_DOSSIER=0\r\nchk_ACCENTS=1\r\n"
                        "[DOSSIER]\r\n"
                        "DATA=/srv/Patients \xc3\xa9t\xc3\xa9\r\n[AFFICHER]\r\nDOSSIER=0\r\n"));
    // The history had no mark: it is written back in the UTF-8 code page, mark first.
    QCOMPARE(
        read(QStringLiteral("liste.txt")),
        QByteArray("\xef\xbb\xbfLef\xc3\xa8vre \xc3\x89lo\xc3\xafse\r\nDUPONT Jean\r\nMARTIN\r\n"));
}

void TestMainWindowSettings::optionsFolderAndHistoryComeBack()
{
    {
        MainWindow &form = start();
        const MainWindowUi &ui = form.ui();
        ui.actionStayOnTop->trigger();
        ui.actionShowStartFolder->trigger();
        ui.actionTidyLogs->trigger();
        ui.actionIgnoreAccents->trigger();
        ui.startFolderEdit->setText(m_dir.filePath(QStringLiteral("patients")));
        ui.searchBox->addItems({QStringLiteral("DUPONT Jean"), QStringLiteral("Lefèvre Éloïse")});
        form.move(120, 80);
        QVERIFY(closeForm());
    }
    MainWindow &form = start();
    const MainWindowUi &ui = form.ui();
    QVERIFY(ui.actionStayOnTop->isChecked());
    QVERIFY(form.staysOnTop());
    QVERIFY(!ui.actionShowStartFolder->isChecked());
    QVERIFY(!ui.startFolderPanel->isVisible());
    QVERIFY(!ui.actionTidyLogs->isChecked());
    QVERIFY(ui.actionIgnoreAccents->isChecked());
    QVERIFY(ui.beginsWithCheck->isChecked());
    QCOMPARE(form.startFolder(), m_dir.filePath(QStringLiteral("patients")));
    QCOMPARE(ui.searchBox->count(), 2);
    QCOMPARE(ui.searchBox->itemText(0), QStringLiteral("DUPONT Jean"));
    QCOMPARE(ui.searchBox->itemText(1), QStringLiteral("Lefèvre Éloïse"));
    QCOMPARE(ui.searchBox->currentText(), QString());
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(120, 80));
    // Restored silently, the items keep the pictures they were created with.
    QCOMPARE(actionIcon(ui.actionShowStartFolder), Icon::Folder);
}

void TestMainWindowSettings::storedContainsModeRunsItsHandler()
{
    write(QStringLiteral("Palvoric.INI"), "[CASES_A_COCHER]\r\nchk_DEBUT=0\r\n");
    MainWindow &form = start();
    QVERIFY(!form.ui().beginsWithCheck->isChecked());
    QCOMPARE(form.ui().searchPanel->caption(),
             QStringLiteral("Rechercher les sous-dossiers contenants ..."));
}

void TestMainWindowSettings::storedAccentsOption_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("checked");
    QTest::newRow("no settings file") << QByteArray() << false;
    QTest::newRow("a file from before the option")
        << QByteArray("[CASES_A_COCHER]\r\nchk_DEBUT=1\r\nchk_DOSSIER=1\r\nchk_LOG=0\r\n") << false;
    QTest::newRow("stored unchecked")
        << QByteArray("[CASES_A_COCHER]\r\nchk_ACCENTS=0\r\n") << false;
    QTest::newRow("stored checked") << QByteArray("[CASES_A_COCHER]\r\nchk_ACCENTS=1\r\n") << true;
}

// The stored option is the one the first search runs with, and it is written back.
void TestMainWindowSettings::storedAccentsOption()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, checked);
    if (!file.isEmpty())
        write(QStringLiteral("Palvoric.INI"), file);
    GatedSearcher folder;
    folder.open(QStringLiteral("DUPONT"));
    m_form = std::make_unique<MainWindow>(*m_desktop, QStringList{QStringLiteral("DUPONT")});
    m_form->replaceSearcher(folder.searcher());
    m_form->show(); // runs the first search, and waits for it
    QCOMPARE(m_form->ui().actionIgnoreAccents->isChecked(), checked);
    const QList<search::SearchRequest> requests = folder.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).text, QStringLiteral("DUPONT"));
    QCOMPARE(requests.at(0).ignoreAccents, checked);
    QVERIFY(closeForm());
    const QByteArray stored = checked ? "chk_ACCENTS=1\r\n" : "chk_ACCENTS=0\r\n";
    QVERIFY(read(QStringLiteral("Palvoric.INI")).contains(stored));
}

void TestMainWindowSettings::failedSaveKeepsTheWindowOpen()
{
    MainWindow &form = start();
    // A folder where the settings file should be: the write cannot happen.
    m_dir.createDir(QStringLiteral("bin/Palvoric.INI"));
    QVERIFY(!closeForm());
    QVERIFY(form.isVisible());
    QCOMPARE(m_desktop->errorBoxes().size(), 1);
    QCOMPARE(m_desktop->errorBoxes().at(0).title, QStringLiteral("Palvoric"));
    QCOMPARE(m_desktop->errorBoxes().at(0).text,
             QStringLiteral("Impossible d'écrire dans %1.")
                 .arg(m_dir.filePath(QStringLiteral("bin/Palvoric.INI"))));
    // The later steps did not run: no history file.
    QVERIFY(!entryExists(m_dir.filePath(QStringLiteral("bin/liste.txt"))));
    QVERIFY(QDir(m_dir.filePath(QStringLiteral("bin"))).rmdir(QStringLiteral("Palvoric.INI")));
    QVERIFY(closeForm()); // a new request runs the steps again, and they succeed
}

void TestMainWindowSettings::sessionEnd_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("saves");
    // At the session's end the program ends without the closing steps; a save that would
    // fail shows no box and refuses no close.
    QTest::newRow("logout: the session manager asks for the data, then the window closes")
        << "commit" << false;
    QTest::newRow("logout: the platform quits the application") << "quit" << false;
    // A checkpoint asks for the data too, and the session goes on.
    QTest::newRow("checkpoint, then a key, then the close") << "commit, key" << true;
    QTest::newRow("checkpoint, then a click, then the close") << "commit, click" << true;
}

void TestMainWindowSettings::sessionEnd()
{
    QFETCH(QString, how);
    QFETCH(bool, saves);
    QuitStopper stopper;
    qApp->installEventFilter(&stopper); // before the window's filter, so it runs after it
    const QString settingsFile = m_dir.filePath(QStringLiteral("bin/Palvoric.INI"));
    const auto restore = qScopeGuard([&] {
        qApp->removeEventFilter(&stopper);
        QDir().rmdir(settingsFile);
    });
    MainWindow &form = start();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (!saves) // the settings file cannot be written
        m_dir.createDir(QStringLiteral("bin/Palvoric.INI"));

    if (how.startsWith(u"commit")) {
        auto *manager = qApp->findChild<QSessionManager *>();
        if (!manager)
            QSKIP("this Qt has no session manager");
        Q_EMIT qApp->commitDataRequest(*manager);
    } else {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    }
    if (how.endsWith(u"key"))
        QTest::keyClick(form.ui().searchBox->lineEdit(), Qt::Key_A);
    else if (how.endsWith(u"click"))
        QTest::mouseClick(form.ui().resultList->viewport(), Qt::LeftButton);

    // What Qt does next at a quit: close each window.
    QVERIFY(form.windowHandle()->close());
    QVERIFY(!form.isVisible());
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
    QCOMPARE(entryExists(m_dir.filePath(QStringLiteral("bin/liste.txt"))), saves);
    if (saves)
        QVERIFY(read(QStringLiteral("Palvoric.INI")).contains("chk_DEBUT=1"));
}

void TestMainWindowSettings::badGeometryStopsTheLoad()
{
    write(QStringLiteral("Palvoric.INI"),
          "[Palvoric]\r\nForm1=40:abc:400:300\r\n[CASES_A_COCHER]\r\nchk_LOG=0\r\n"
          "[DOSSIER]\r\nDATA=/srv\r\n");
    MainWindow &form = start();
    QCOMPARE(m_desktop->errorBoxes().size(), 1);
    QCOMPARE(m_desktop->errorBoxes().at(0).text,
             QStringLiteral("''abc'' n'est pas une valeur entière valide."));
    // The left edge before the bad piece is applied; the later steps are not done.
    QCOMPARE(form.frameGeometry().left(), 40);
    QVERIFY(form.ui().actionTidyLogs->isChecked());
    QCOMPARE(form.startFolder(), QStringLiteral("/"));
}

void TestMainWindowSettings::logsTidiedOnlyWithTheOption_data()
{
    QTest::addColumn<bool>("logOption");
    QTest::newRow("checked") << true;
    QTest::newRow("unchecked") << false;
}

void TestMainWindowSettings::logsTidiedOnlyWithTheOption()
{
    QFETCH(bool, logOption);
    const QByteArray journal = "[03/02/2022]\r\n09:14:27=DUPONT Jean\r\n[04/02/2022]\r\n"
                               "10:00:00=NOM Prénom [2]\r\n";
    const QByteArray folders = "[DUPONT Jean]\r\n03/02/2022=09:14:27\r\n[NOM Prénom [2]]\r\n"
                               "04/02/2022=10:00:00\r\n";
    write(QStringLiteral("_JOURNAL.LOG"), journal);
    write(QStringLiteral("_DOSSIERS.LOG"), folders);
    MainWindow &form = start();
    if (!logOption)
        form.ui().actionTidyLogs->trigger();
    QVERIFY(closeForm());
    if (logOption) {
        QCOMPARE(read(QStringLiteral("_JOURNAL.LOG")),
                 QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Jean\r\n\r\n[04/02/2022]\r\n"
                            "10:00:00=NOM Prénom [2]\r\n"));
        QCOMPARE(read(QStringLiteral("_DOSSIERS.LOG")),
                 QByteArray("[DUPONT Jean]\r\n03/02/2022=09:14:27\r\n\r\n[NOM Prénom [2]]\r\n"
                            "04/02/2022=10:00:00\r\n"));
    } else {
        QCOMPARE(read(QStringLiteral("_JOURNAL.LOG")), journal);
        QCOMPARE(read(QStringLiteral("_DOSSIERS.LOG")), folders);
    }
}

QTEST_MAIN(TestMainWindowSettings)
#include "tst_main_window_settings.moc"
