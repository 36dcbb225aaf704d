// Files dropped from the file browser, moved one by one into a patient folder.
#include "folderops/dropped_files.h"
#include "folderops/dropped_links.h"
#include "platform/native_names.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/tree_snapshot.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace folderops;

namespace {

QString existsMessage(const QString &name)
{
    return QStringLiteral("Erreur en copie : le fichier ") + name +
           QStringLiteral(" existe peut être déjà sur la cible !");
}

} // namespace

class TstDroppedFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();

    void movesFile();
    void leavesWhatCannotMove_data();
    void leavesWhatCannotMove();
    void fullDiskNamesCause();
    void texts_data();
    void texts();
    void sortsDroppedLinks_data();
    void sortsDroppedLinks();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_target;
};

void TstDroppedFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_target = m_dir->filePath(QStringLiteral("patients/DUPONT Marie"));
    QVERIFY(QDir().mkpath(m_target));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("bureau/radios 2022"))));
    QVERIFY(
        writeFileBytes(m_dir->filePath(QStringLiteral("bureau/radios 2022/genou.jpg")), "jpeg"));
    QVERIFY(writeFileBytes(m_dir->filePath(QStringLiteral("bureau/bilan.pdf")), "nouveau bilan"));
    QVERIFY(writeFileBytes(m_target + QStringLiteral("/bilan.pdf"), "ancien bilan"));
    QVERIFY(writeFileBytes(m_target + QStringLiteral("/ordonnance.pdf"), "ordonnance"));
}

void TstDroppedFiles::movesFile()
{
    const QString source = m_dir->filePath(QStringLiteral("bureau/scanner.pdf"));
    QVERIFY(writeFileBytes(source, "%PDF-1.4 scanner"));
    const TreeEntry before = snapshotTree(source).value(QByteArray());
    QCOMPARE(moveDroppedFile(source, m_target), QString());
    QVERIFY(!entryExists(source));
    QCOMPARE(snapshotTree(m_target + QStringLiteral("/scanner.pdf")).value(QByteArray()), before);
}

void TstDroppedFiles::leavesWhatCannotMove_data()
{
    QTest::addColumn<QString>("source"); // relative to the temporary folder
    QTest::addColumn<QString>("message");
    QTest::newRow("a name that exists in the target")
        << "bureau/bilan.pdf" << existsMessage(QStringLiteral("bilan.pdf"));
    QTest::newRow("a file of the target itself") << "patients/DUPONT Marie/ordonnance.pdf"
                                                 << existsMessage(QStringLiteral("ordonnance.pdf"));
    QTest::newRow("a folder") << "bureau/radios 2022"
                              << existsMessage(QStringLiteral("radios 2022"));
    QTest::newRow("a folder given with a final separator")
        << "bureau/radios 2022/" << existsMessage(QStringLiteral("radios 2022"));
    QTest::newRow("a file gone meanwhile")
        << "bureau/parti.pdf"
        << existsMessage(QStringLiteral("parti.pdf")) + QStringLiteral("\r\n\r\nL'élément n'existe "
                                                                       "plus.");
}

void TstDroppedFiles::leavesWhatCannotMove()
{
    QFETCH(QString, source);
    QFETCH(QString, message);
    const TreeSnapshot before = snapshotTree(m_dir->path());
    QCOMPARE(moveDroppedFile(m_dir->filePath(source), m_target), message);
    QCOMPARE(treeDifference(before, snapshotTree(m_dir->path())), QString());
}

void TstDroppedFiles::fullDiskNamesCause()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString source = m_dir->filePath(QStringLiteral("bureau/irm.dcm"));
    const QByteArray content(2 * 1024 * 1024, 'i');
    QVERIFY(writeFileBytes(source, content));
    QCOMPARE(moveDroppedFile(source, disk.path()),
             existsMessage(QStringLiteral("irm.dcm")) +
                 QStringLiteral("\r\n\r\nLe disque est plein."));
    QCOMPARE(snapshotTree(source).value(QByteArray()).content, content);
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

void TstDroppedFiles::texts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("file") << "/home/cab/bureau/bilan.pdf"
                          << "bilan.pdf";
    QTest::newRow("folder with a separator") << "/home/cab/radios/"
                                             << "radios";
    QTest::newRow("at the root") << "/bilan.pdf"
                                 << "bilan.pdf";
}

void TstDroppedFiles::texts()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(droppedItemName(path), name);
    QCOMPARE(noTargetText(), QStringLiteral("Vous devez sélectionner un dossier cible"));
    QCOMPARE(dropConfirmationText(3, QStringLiteral("/cabinet/patients/DUPONT Marie")),
             QStringLiteral("Déplacer 3 fichier(s)\r\n\r\nvers\r\n\r\n/cabinet/patients/DUPONT "
                            "Marie"));
}

void TstDroppedFiles::sortsDroppedLinks_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("refused");
    const auto url = [](const char *text) {
        return QUrl(QString::fromUtf8(text));
    };
    QTest::newRow("local files, in order")
        << QList<QUrl>{url("file:///srv/b.pdf"), url("file:///srv/a.pdf")}
        << QStringList{u"/srv/b.pdf"_qs, u"/srv/a.pdf"_qs} << QStringList();
    QTest::newRow("localhost and this machine")
        << QList<QUrl>{url("file://localhost/srv/a.pdf"), url("file://POSTE-ACCUEIL/srv/b.pdf")}
        << QStringList{u"/srv/a.pdf"_qs, u"/srv/b.pdf"_qs} << QStringList();
    QTest::newRow("another machine's file")
        << QList<QUrl>{url("file://serveur/p"), url("file:///srv/a.pdf")}
        << QStringList{u"/srv/a.pdf"_qs} << QStringList{u"file://serveur/p"_qs};
    QTest::newRow("web and mail links")
        << QList<QUrl>{url("https://example.org/x"), url("mailto:accueil@example.org")}
        << QStringList()
        << QStringList{u"https://example.org/x"_qs, u"mailto:accueil@example.org"_qs};
    QTest::newRow("a name that is not UTF-8 keeps its bytes")
        << QList<QUrl>{url("file:///srv/Lef%E8vre")}
        << QStringList{u"/srv/Lef"_qs + QChar(0xDCE8) + u"vre"_qs} << QStringList();
}

void TstDroppedFiles::sortsDroppedLinks()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QStringList, paths);
    QFETCH(QStringList, refused);
    const folderops::DroppedLinks links =
        folderops::sortDroppedLinks(urls, QStringLiteral("poste-accueil"));
    QCOMPARE(links.paths, paths);
    QCOMPARE(links.refused, refused);
    if (!refused.isEmpty()) {
        const QString text = folderops::refusedLinksText(refused);
        QVERIFY(text.startsWith(u"Ces éléments ne sont pas des fichiers de cet ordinateur"_qs));
        for (const QString &link : refused)
            QVERIFY(text.contains(link));
    }
}

QTEST_GUILESS_MAIN(TstDroppedFiles)

#include "tst_dropped_files.moc"
