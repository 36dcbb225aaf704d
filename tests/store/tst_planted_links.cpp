// Another account that may write the shared program folder puts a symbolic link in place
// of one of the program's files, pointing at a file of the user's: the program must
// neither write through it nor read through it. The user's own links still work.
#include "search/search_history.h"
#include "store/activity_log.h"
#include "store/ini_file.h"
#include "store/tidy_ini_file.h"
#include "tests/support/file_helpers.h"
#include "tests/support/unprivileged.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace store;

namespace {

enum class ProgramFile { Settings, History, Journal, FolderLog };

QString fileName(ProgramFile file)
{
    switch (file) {
    case ProgramFile::Settings:
        return QStringLiteral("Palvoric.INI");
    case ProgramFile::History:
        return QStringLiteral("liste.txt");
    case ProgramFile::Journal:
        return QStringLiteral("_JOURNAL.LOG");
    case ProgramFile::FolderLog:
        break;
    }
    return QStringLiteral("_DOSSIERS.LOG");
}

// Changes the program file the way the program does; the error it raised, or "".
QString change(ProgramFile file, const QString &folder)
{
    const QString path = folder + fileName(file);
    return userErrorOf([&] {
        switch (file) {
        case ProgramFile::Settings:
            iniWriteString(QStringLiteral("DOSSIER"), QStringLiteral("DATA"),
                           QStringLiteral("/srv"), path);
            break;
        case ProgramFile::History: {
            search::HistoryFileState state;
            search::saveHistory(path, {QStringLiteral("DUVAL $(cd;id>PWNED)")}, state);
            break;
        }
        case ProgramFile::Journal:
            iniAddString(QStringLiteral("10/12/2026"), QStringLiteral("09:00:00"),
                         QStringLiteral("DUVAL $(cd;id>PWNED)"), path);
            break;
        case ProgramFile::FolderLog:
            tidyIniFile(path);
            break;
        }
    });
}

} // namespace

Q_DECLARE_METATYPE(ProgramFile)

class TstPlantedLinks : public QObject
{
    Q_OBJECT
private slots:
    void anotherAccountsLinkIsNeverFollowed_data();
    void anotherAccountsLinkIsNeverFollowed();
    void theUsersOwnLinkIsFollowed();
};

void TstPlantedLinks::anotherAccountsLinkIsNeverFollowed_data()
{
    QTest::addColumn<ProgramFile>("file");
    QTest::addColumn<QString>("writeError"); // %1: the program file's path
    // What is done, then why, so that the user can tell this from a missing permission.
    const QString why = u" %1 est un lien symbolique qui appartient à un autre utilisateur."_qs;
    QTest::newRow("settings write")
        << ProgramFile::Settings << u"Impossible d'écrire dans %1."_qs + why;
    QTest::newRow("history save") << ProgramFile::History
                                  << u"Impossible de créer le fichier \"%1\"."_qs + why;
    QTest::newRow("journal append")
        << ProgramFile::Journal << u"Impossible d'écrire dans %1."_qs + why;
    QTest::newRow("folder log, tidy pass")
        << ProgramFile::FolderLog << u"Impossible d'ouvrir le fichier \"%1\"."_qs + why;
}

void TstPlantedLinks::anotherAccountsLinkIsNeverFollowed()
{
    QFETCH(ProgramFile, file);
    QFETCH(QString, writeError);
    if (geteuid() != 0)
        QSKIP("giving a link to another account needs root");
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    const QString victim = dir.filePath(QStringLiteral("bashrc"));
    const QByteArray original("# the user's shell start-up\n[x]\nA=1\n");
    QVERIFY(writeFileBytes(victim, original));
    const QString path = folder + fileName(file);
    QVERIFY(QFile::link(victim, path));
    QVERIFY(lchown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0);

    QCOMPARE(change(file, folder), writeError.arg(path));
    QCOMPARE(readFileBytes(victim), original);
    QVERIFY(QFileInfo(path).isSymLink()); // the link itself is left as it was

    // Nor read through: the link's target is not the program's file.
    QCOMPARE(iniReadString(QStringLiteral("x"), QStringLiteral("A"), QStringLiteral("none"), path),
             QStringLiteral("none"));
}

void TstPlantedLinks::theUsersOwnLinkIsFollowed()
{
    // A practice may keep its logs elsewhere and link them into the program folder.
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("archives")));
    const QString kept = dir.filePath(QStringLiteral("archives/journal.log"));
    QVERIFY(writeFileBytes(kept, "[09/12/2026]\r\n18:00:00=DUPONT Jean\r\n"));
    QVERIFY(QFile::link(QStringLiteral("archives/journal.log"), journalLogPath(folder)));
    iniWriteString(QStringLiteral("10/12/2026"), QStringLiteral("09:00:00"),
                   QStringLiteral("MARTIN Paul"), journalLogPath(folder));
    QCOMPARE(readFileBytes(kept), QByteArray("[09/12/2026]\r\n18:00:00=DUPONT Jean\r\n"
                                             "[10/12/2026]\r\n09:00:00=MARTIN Paul\r\n"));
    QVERIFY(QFileInfo(journalLogPath(folder)).isSymLink());
}

QTEST_GUILESS_MAIN(TstPlantedLinks)

#include "tst_planted_links.moc"
