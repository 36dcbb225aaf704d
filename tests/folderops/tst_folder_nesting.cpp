// The French messages of a folder nested into another: the text for every reason a move
// gives, and the messages of the refusals and failures met on real folders.
#include "errors/system_error_text.h"
#include "folderops/folder_nesting.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

using folderops::NestingResult;
using platform::MoveResult;
using Outcome = MoveResult::Outcome;
using Reason = MoveResult::Reason;

Q_DECLARE_METATYPE(platform::MoveResult::Outcome)
Q_DECLARE_METATYPE(platform::MoveResult::Reason)

class TstFolderNesting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messages_data();
    void messages();
    void refusals_data();
    void refusals();
    void fullDiskAcross();
};

void TstFolderNesting::messages_data()
{
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    const QString into =
        u"Impossible de déplacer \"DUPONT Marie\" dans \"DUPONT Marie 2019\" : "_qs;
    const QString notMoved = u". Rien n'a été déplacé."_qs;

    QTest::newRow("clean move") << Outcome::Moved << Reason::None << 0 << QString() << QString();
    QTest::newRow("cancelled") << Outcome::Cancelled << Reason::None << 0 << QString() << QString();
    QTest::newRow("source missing")
        << Outcome::Refused << Reason::SourceMissing << 0 << QString()
        << u"Impossible de déplacer \"DUPONT Marie\" : il n'existe plus à cet emplacement "
           "(déplacé ou supprimé entre-temps). Rien n'a été déplacé."_qs;
    QTest::newRow("destination missing")
        << Outcome::Refused << Reason::DestinationMissing << ENOENT << QString()
        << u"Impossible de déplacer \"DUPONT Marie\" : le dossier de destination \"DUPONT Marie "
           "2019\" n'existe plus. Rien n'a été déplacé."_qs;
    QTest::newRow("destination not a folder")
        << Outcome::Refused << Reason::DestinationNotFolder << ENOTDIR << QString()
        << u"Impossible de déplacer \"DUPONT Marie\" : \"DUPONT Marie 2019\" n'est pas un "
           "dossier. Rien n'a été déplacé."_qs;
    QTest::newRow("into itself")
        << Outcome::Refused << Reason::IntoItself << 0 << QString()
        << into +
               u"un dossier ne peut pas être déplacé dans lui-même ni dans l'un de ses "
               "sous-dossiers"_qs +
               notMoved;
    QTest::newRow("already in the destination")
        << Outcome::Refused << Reason::AlreadyInDestination << 0 << QString()
        << u"\"DUPONT Marie\" se trouve déjà dans \"DUPONT Marie 2019\". Rien n'a été déplacé."_qs;
    QTest::newRow("name taken by a file")
        << Outcome::Refused << Reason::NameTakenByFile << 0 << QString()
        << into + u"un fichier de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("name taken by an empty folder")
        << Outcome::Refused << Reason::NameTakenByEmptyFolder << 0 << QString()
        << into +
               u"un dossier vide de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("name taken by a full folder")
        << Outcome::Refused << Reason::NameTakenByFolder << 0 << QString()
        << into + u"un dossier de ce nom s'y trouve déjà. Rien n'a été déplacé, remplacé ni "
                  "fusionné."_qs;
    QTest::newRow("name taken by something else")
        << Outcome::Refused << Reason::NameTakenByOther << 0 << QString()
        << into + u"un élément de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("unsupported entry")
        << Outcome::Refused << Reason::UnsupportedEntry << 0 << u"DUPONT Marie/tube"_qs
        << into + u"\"DUPONT Marie/tube\" n'est ni un dossier, ni un fichier, ni un lien"_qs +
               notMoved;
    QTest::newRow("content that could not be taken out")
        << Outcome::Refused << Reason::SourceNotMovable << EACCES << u"DUPONT Marie/radios"_qs
        << into + u"accès refusé (\"DUPONT Marie/radios\")"_qs + notMoved;
    QTest::newRow("system error") << Outcome::Failed << Reason::SystemError << EROFS << QString()
                                  << into + u"le disque est en lecture seule"_qs + notMoved;
    QTest::newRow("copy failed on an entry")
        << Outcome::Failed << Reason::CopyFailed << ENOSPC << u"DUPONT Marie/radios/thorax.jpg"_qs
        << u"Le déplacement de \"DUPONT Marie\" vers \"DUPONT Marie 2019\" a échoué : le disque "
           "est plein (\"DUPONT Marie/radios/thorax.jpg\"). L'original est resté intact et la "
           "copie partielle a été retirée."_qs;
    QTest::newRow("copy failed on the sync")
        << Outcome::Failed << Reason::CopyFailed << EIO << QString()
        << u"Le déplacement de \"DUPONT Marie\" vers \"DUPONT Marie 2019\" a échoué : erreur "
           "d'entrée-sortie sur le disque. L'original est resté intact et la copie partielle a "
           "été retirée."_qs;
    QTest::newRow("copy not confirmed")
        << Outcome::Copied << Reason::CopyNotSynced << EIO << QString()
        << u"\"DUPONT Marie\" a été copié dans \"DUPONT Marie 2019\", mais le disque n'a pas "
           "confirmé l'écriture (erreur d'entrée-sortie sur le disque) : l'original a été laissé "
           "à son emplacement."_qs;
    // entry: what stayed in the source, separated by "|".
    QTest::newRow("source changed during the copy")
        << Outcome::Copied << Reason::SourceChanged << 0 << u"DUPONT Marie/compte-rendu.odt"_qs
        << u"\"DUPONT Marie\" a été copié dans \"DUPONT Marie 2019\", mais l'original a changé "
           "pendant la copie : \"DUPONT Marie/compte-rendu.odt\" conservé à son emplacement, le "
           "reste de l'original a été retiré."_qs;
    QTest::newRow("many entries changed")
        << Outcome::Copied << Reason::SourceChanged << 0 << u"D/a|D/b|D/c|D/d|D/e"_qs
        << u"\"DUPONT Marie\" a été copié dans \"DUPONT Marie 2019\", mais l'original a changé "
           "pendant la copie : \"D/a\", \"D/b\", \"D/c\" et 2 autre(s) conservé à son "
           "emplacement, le reste de l'original a été retiré."_qs;
    QTest::newRow("a volume mounted inside")
        << Outcome::Refused << Reason::MountInside << 0 << u"DUPONT Marie/cle-usb"_qs
        << into + u"\"DUPONT Marie/cle-usb\" est un autre volume monté dans le dossier"_qs +
               notMoved;
    // A runaway path is shortened in its middle: a message stays readable.
    const QString deep = u"DUPONT Marie"_qs + u"/sous-dossier"_qs.repeated(30);
    QTest::newRow("long path shortened")
        << Outcome::Failed << Reason::CopyFailed << EMFILE << deep
        << u"Le déplacement de \"DUPONT Marie\" vers \"DUPONT Marie 2019\" a échoué : "_qs +
               errors::systemErrorText(EMFILE) + u" (\""_qs + deep.left(59) + u"…"_qs +
               deep.right(59) +
               u"\"). L'original est resté intact et la copie partielle a été retirée."_qs;
    QTest::newRow("source not all removed")
        << Outcome::Copied << Reason::SourceNotRemoved << EACCES << u"DUPONT Marie/radios"_qs
        << u"\"DUPONT Marie\" a été copié dans \"DUPONT Marie 2019\", mais l'original n'a pas "
           "pu être retiré entièrement : accès refusé (\"DUPONT Marie/radios\"). Ce qui en "
           "reste est toujours à son ancien emplacement."_qs;
    QTest::newRow("move not confirmed")
        << Outcome::Moved << Reason::MoveNotSynced << EIO << QString()
        << u"\"DUPONT Marie\" a été déplacé dans \"DUPONT Marie 2019\", mais le disque n'a pas "
           "confirmé l'écriture : erreur d'entrée-sortie sur le disque."_qs;
}

// The names are the last parts of the paths, a final "/" left out.
void TstFolderNesting::messages()
{
    QFETCH(Outcome, outcome);
    QFETCH(Reason, reason);
    QFETCH(int, error);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    MoveResult move{outcome, reason, error, entry, {}};
    if (reason == Reason::SourceChanged) {
        move.kept = entry.split(u'|');
        move.entry = move.kept.first();
    }
    QCOMPARE(folderops::nestingMessage(move, u"/srv/cabinet/DUPONT Marie/"_qs,
                                       u"/srv/cabinet/DUPONT Marie 2019"_qs),
             expected);
}

void TstFolderNesting::refusals_data()
{
    QTest::addColumn<QString>("taken"); // what holds the name in the destination already
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination"); // "" is the start folder itself
    QTest::addColumn<QString>("expected");    // %1: the start folder's name
    const QString into =
        u"Impossible de déplacer \"DUPONT Marie\" dans \"DUPONT Marie 2019\" : "_qs;
    QTest::newRow("name taken by a file")
        << u"file"_qs << kPatient << kOther
        << into + u"un fichier de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("name taken by an empty folder")
        << u"empty"_qs << kPatient << kOther
        << into +
               u"un dossier vide de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("name taken by a full folder")
        << u"full"_qs << kPatient << kOther
        << into + u"un dossier de ce nom s'y trouve déjà. Rien n'a été déplacé, remplacé ni "
                  "fusionné."_qs;
    QTest::newRow("name taken by a dangling link")
        << u"link"_qs << kPatient << kOther
        << into + u"un élément de ce nom s'y trouve déjà. Rien n'a été déplacé ni remplacé."_qs;
    QTest::newRow("into itself")
        << QString() << kPatient << kPatient
        << u"Impossible de déplacer \"DUPONT Marie\" dans \"DUPONT Marie\" : un dossier ne peut "
           "pas être déplacé dans lui-même ni dans l'un de ses sous-dossiers. Rien n'a été "
           "déplacé."_qs;
    QTest::newRow("into its sub-folder")
        << QString() << kPatient << kPatient + u"/radios"_qs
        << u"Impossible de déplacer \"DUPONT Marie\" dans \"radios\" : un dossier ne peut pas "
           "être déplacé dans lui-même ni dans l'un de ses sous-dossiers. Rien n'a été "
           "déplacé."_qs;
    QTest::newRow("source vanished")
        << QString() << u"DURAND Paul"_qs << kOther
        << u"Impossible de déplacer \"DURAND Paul\" : il n'existe plus à cet emplacement "
           "(déplacé ou supprimé entre-temps). Rien n'a été déplacé."_qs;
    QTest::newRow("source's folder vanished")
        << QString() << u"parti/DURAND Paul"_qs << kOther
        << u"Impossible de déplacer \"DURAND Paul\" : il n'existe plus à cet emplacement "
           "(déplacé ou supprimé entre-temps). Rien n'a été déplacé."_qs;
    QTest::newRow("destination vanished")
        << QString() << kPatient << u"DURAND Paul"_qs
        << u"Impossible de déplacer \"DUPONT Marie\" : le dossier de destination \"DURAND Paul\" "
           "n'existe plus. Rien n'a été déplacé."_qs;
    QTest::newRow("destination is a file")
        << QString() << kPatient << u"facture.pdf"_qs
        << u"Impossible de déplacer \"DUPONT Marie\" : \"facture.pdf\" n'est pas un dossier. "
           "Rien n'a été déplacé."_qs;
    QTest::newRow("already in the destination")
        << QString() << kPatient << QString()
        << u"\"DUPONT Marie\" se trouve déjà dans \"%1\". Rien n'a été déplacé."_qs;
}

void TstFolderNesting::refusals()
{
    QFETCH(QString, taken);
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(fillPatientFolder(dir.filePath(kPatient)));
    QVERIFY(QDir().mkpath(dir.filePath(kOther)));
    QVERIFY(writeNativeFile(dir.filePath(u"facture.pdf"_qs), "%PDF"));
    const QString name = dir.filePath(kOther + u'/' + kPatient);
    if (taken == QLatin1String("file"))
        QVERIFY(writeNativeFile(name, "un autre contenu"));
    else if (taken == QLatin1String("empty"))
        QVERIFY(QDir().mkpath(name));
    else if (taken == QLatin1String("full"))
        QVERIFY(QDir().mkpath(name + u"/ses radios"_qs) &&
                writeNativeFile(name + u"/compte-rendu.txt"_qs, "autre patient"));
    else if (taken == QLatin1String("link"))
        QCOMPARE(::symlink("nulle-part", QFile::encodeName(name).constData()), 0);
    if (expected.contains(QLatin1String("%1")))
        expected = expected.arg(QFileInfo(dir.path()).fileName());

    const QString to = destination.isEmpty() ? dir.path() : dir.filePath(destination);
    const NestingResult nested = folderops::nestFolder(dir.filePath(source), to);
    QCOMPARE(nested.move.outcome, Outcome::Refused);
    QCOMPARE(nested.message, expected);
    QVERIFY(QFileInfo(dir.filePath(kPatient)).isDir());
}

// A copy to another disk that fills up names the entry it could not write.
void TstFolderNesting::fullDiskAcross()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source, 400 * 1024));
    QVERIFY(writeNativeFile(source + u"/radios/genou.jpg"_qs, patternBytes('g', 400 * 1024)));
    QVERIFY(writeNativeFile(source + u"/radios/main.jpg"_qs, patternBytes('m', 400 * 1024)));

    const NestingResult nested = folderops::nestFolder(source, disk.path());
    QCOMPARE(nested.move.outcome, Outcome::Failed);
    QVERIFY2(nested.message.startsWith(
                 u"Le déplacement de \"DUPONT Marie\" vers \"%1\" a échoué : le disque est plein "
                 "(\"DUPONT Marie/radios/"_qs.arg(QFileInfo(disk.path()).fileName())),
             qPrintable(nested.message));
    QVERIFY2(nested.message.endsWith(
                 u"\"). L'original est resté intact et la copie partielle a été retirée."_qs),
             qPrintable(nested.message));
}

QTEST_GUILESS_MAIN(TstFolderNesting)

#include "tst_folder_nesting.moc"
