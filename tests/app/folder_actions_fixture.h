#pragma once

// The fixture of the window tests on the actions of the current line: a temporary folder
// standing for the executable's (program files and logs) with a start folder of patients,
// the home trash under it (XDG_DATA_HOME), a fixed clock, French date and time texts and
// a scripted desktop. Each test makes its window with makeForm(search); its log writer
// writes through m_disk, which tells when the openings are written.

#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/directory_edit.h"
#include "app/main_window.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "store/ini_file.h"
#include "tests/support/app/scripted_desktop.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/store/fixed_clock.h"
#include "tests/support/store/gated_log_write.h"
#include "tests/support/testdir.h"

#include <QObject>
#include <QTest>

#include <algorithm>
#include <memory>

class FolderActionsTest : public QObject
{
protected:
    static QStringList patients()
    {
        return {u"DUPONT Marie 2019"_qs, u"DUPONT Marie-Claire"_qs, u"DUPONT Mariette"_qs,
                u"DUPONTIER Luc"_qs,     u"DUPONT Jean"_qs,         u"DUPONT"_qs,
                u"MARTIN Marie"_qs,      u"DURAND Anne Marie"_qs,   u"DURAND Paul"_qs,
                u"LE GALL Yann"_qs,      u"LEROY Yann"_qs,          u"DU -rf $(id); `id` \"x\""_qs,
                u"DU\nSAUT Ligne"_qs};
    }

    static QStringList sorted(QStringList lines)
    {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    void setUpCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        // The window as the program shows it, with its theme.
        QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
    }

    void tearDownCase() { platform::overrideExecutablePath(QString()); }

    void setUp()
    {
        m_dir = std::make_unique<TestDir>();
        m_dir->createDir(u"bin"_qs);
        for (const QString &name : patients())
            m_dir->createFile(u"patients/"_qs + name + u"/compte rendu.txt"_qs, "bilan");
        platform::overrideExecutablePath(m_dir->filePath(u"bin/Palvoric"_qs));
        m_dataHome = std::make_unique<EnvironmentScope>("XDG_DATA_HOME", m_dir->nativePath("data"));
        m_clock = std::make_unique<store::FixedClock>(
            QList<QDateTime>{QDateTime(QDate(2022, 2, 3), QTime(9, 14, 27)),
                             QDateTime(QDate(2022, 2, 3), QTime(9, 14, 28))});
        store::setClock(m_clock.get());
        m_desktop = std::make_unique<ScriptedDesktop>();
        m_disk = std::make_unique<GatedLogWrite>();
        m_disk->open();
    }

    void tearDown()
    {
        // The window goes first: its tray icon talks to the desktop until the end.
        m_form.reset();
        m_disk.reset();
        store::setClock(nullptr);
        const QStringList failures = m_desktop->failures();
        m_desktop.reset();
        m_dataHome.reset();
        m_dir.reset();
        QCOMPARE(failures, QStringList());
    }

    // The window on the patients, shown, with search as its command line.
    MainWindow &makeForm(const QString &search)
    {
        m_form = std::make_unique<MainWindow>(*m_desktop, QStringList{search});
        m_form->replaceLogWrite(m_disk->write());
        // Before the window is shown, as a stored start folder would be.
        m_form->ui().startFolderEdit->setText(m_dir->filePath(u"patients"_qs));
        m_form->show();
        m_form->activateWindow();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("the window did not become active");
        return *m_form;
    }

    // Makes the line current as the program does: no click event.
    void selectLine(const QString &line)
    {
        const int row = int(lines().indexOf(line));
        QVERIFY2(row >= 0, qPrintable(line));
        m_form->ui().resultList->setCurrentLine(row);
    }

    QStringList lines() const { return m_form->ui().resultModel->lines(); }
    QString patient(const QString &name) const { return m_dir->filePath(u"patients/"_qs + name); }
    QString exeFolder() const { return m_dir->filePath(u"bin/"_qs); }

    QString journal(const QString &date, const QString &time) const
    {
        return store::iniReadString(date, time, u"<none>"_qs, store::journalLogPath(exeFolder()));
    }

    QString folderLog(const QString &entry, const QString &date) const
    {
        return store::iniReadString(entry, date, u"<none>"_qs, store::folderLogPath(exeFolder()));
    }

    QString lastErrorText() const
    {
        return m_desktop->errorBoxes().isEmpty() ? QString() : m_desktop->errorBoxes().last().text;
    }

    std::unique_ptr<TestDir> m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
    std::unique_ptr<store::FixedClock> m_clock;
    std::unique_ptr<GatedLogWrite> m_disk;
    std::unique_ptr<EnvironmentScope> m_dataHome;
};
