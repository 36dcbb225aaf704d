// recycleFolder over the real trash of a temporary home: each answer of the trash,
// brought about for real, and the French message the window shows for it. Where the trash
// puts an entry and what it leaves behind when it refuses is tested in
// tests/platform/tst_trash.cpp; here the folder only has to be gone into the trash, or
// still whole where it was.
#include "folderops/recycle_folder.h"
#include "platform/native_names.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using folderops::recycleFailureMessage;
using folderops::recycleFolder;
using folderops::RecycleResult;
using Outcome = RecycleResult::Outcome;

namespace {

// How a row makes the trash give its answer. From NamesTaken on, the folder lies on a
// volume mounted for the row.
enum class Setup {
    Trashable,            // a patient folder beside a usable home trash
    Gone,                 // nothing at the path any more
    HoldsTheTrash,        // the home trash lies inside the folder
    InfoNotWritable,      // the ordinary user may not write into the trash's info folder
    NamesTaken,           // the home trash, on the volume too, holds the name and every
                          // numbered variant of it (a thousand folders: quick on a tmpfs)
    ReadOnlyVolume,       // on a volume mounted read-only
    VolumeTopNotWritable, // on a volume on whose top the ordinary user may make no trash
    VolumeTrashIsAFile,   // on a volume whose .Trash-$uid is a file
    MountPoint,           // the folder is itself the mount point of a volume
};

bool onOwnVolume(Setup setup)
{
    return setup >= Setup::NamesTaken;
}

// The rows refused for want of rights, which root would pass over.
bool asOrdinaryUser(Setup setup)
{
    return setup == Setup::InfoNotWritable || setup == Setup::VolumeTopNotWritable;
}

const QByteArray kNote = "bilan";

bool makeFolderWithNote(const QString &folder)
{
    return QDir().mkpath(folder) && writeFileBytes(folder + u"/note"_qs, kNote);
}

QString refusal(const QString &reason)
{
    return u"Le dossier \"DUPONT Marie\" n'a pas pu être mis à la corbeille : "_qs + reason +
           u". Il n'a pas été supprimé"_qs;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestRecycleFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusMessage_data();
    void statusMessage();

private:
    QString prepare(Setup setup, const QByteArray &name, SmallTmpfs *volume);

    std::unique_ptr<TestDir> m_dir;
    std::unique_ptr<EnvironmentScope> m_dataHome;
};

void TestRecycleFolder::init()
{
    m_dir = std::make_unique<TestDir>();
    m_dataHome = std::make_unique<EnvironmentScope>("XDG_DATA_HOME", m_dir->nativePath("data"));
}

void TestRecycleFolder::cleanup()
{
    m_dataHome.reset(); // also undoes a row's own change of it
    m_dir.reset();
}

// Makes the row's folder with a note inside (none where the row wants it gone) and what
// else the row needs; returns the folder's path, empty when something could not be made.
QString TestRecycleFolder::prepare(Setup setup, const QByteArray &name, SmallTmpfs *volume)
{
    if (onOwnVolume(setup)) {
        const QString folder = setup == Setup::MountPoint
                                   ? volume->path()
                                   : volume->path() + u"/patients/"_qs + QString::fromUtf8(name);
        if (!makeFolderWithNote(folder))
            return QString();
        const QByteArray top = platform::encodePath(volume->path());
        switch (setup) {
        case Setup::NamesTaken: {
            // "name", "name.2" ... "name.1000": every name the trash tries.
            qputenv("XDG_DATA_HOME", top + "/data");
            const QByteArray files = top + "/data/Trash/files/" + name;
            bool made = QDir().mkpath(volume->path() + u"/data/Trash/info"_qs) &&
                        QDir().mkpath(volume->path() + u"/data/Trash/files"_qs) &&
                        ::mkdir(files.constData(), 0700) == 0;
            for (int number = 2; made && number <= 1000; ++number)
                made = ::mkdir(QByteArray(files + '.' + QByteArray::number(number)).constData(),
                               0700) == 0;
            return made ? folder : QString();
        }
        case Setup::ReadOnlyVolume:
            return volume->remountReadOnly() ? folder : QString();
        case Setup::VolumeTopNotWritable:
            // The folder and its parent are the user's; the volume's top is root's.
            return ::chmod(top.constData(), 0755) == 0 && giveToNobody(top + "/patients") &&
                           giveToNobody(m_dir->nativePath(""))
                       ? folder
                       : QString();
        case Setup::VolumeTrashIsAFile:
            return writeFileBytes(volume->path() + u"/.Trash-"_qs + QString::number(::geteuid()),
                                  QByteArray())
                       ? folder
                       : QString();
        default:
            return folder;
        }
    }

    const QByteArray patient = "patients/" + name;
    const QString folder = platform::decodeFileName(m_dir->nativePath(patient));
    if (setup == Setup::Gone) {
        m_dir->createDir(u"patients"_qs);
        return folder;
    }
    m_dir->createFileBytes(patient + "/note", kNote);
    switch (setup) {
    case Setup::HoldsTheTrash:
        qputenv("XDG_DATA_HOME", m_dir->nativePath(patient + "/.local/share"));
        break;
    case Setup::InfoNotWritable:
        m_dir->createDirs({u"data/Trash/files"_qs, u"data/Trash/info"_qs});
        if (!giveToNobody(m_dir->nativePath("")))
            return QString();
        m_dir->setPermissions(u"data/Trash/info"_qs, 0500);
        break;
    default:
        break;
    }
    return folder;
}

void TestRecycleFolder::statusMessage_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("name"); // the folder's name, as its line shows it
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    const QByteArray dupont = "DUPONT Marie";

    // The path reaches the trash as its own bytes, whatever the shell or UTF-8 make of it.
    QTest::newRow("trashed") << Setup::Trashable << QByteArray("-DUPONT $(id)\n\xe9ric")
                             << int(Outcome::Recycled) << QString();
    QTest::newRow("not found") << Setup::Gone << dupont << int(Outcome::Missing)
                               << u"Le dossier \"DUPONT Marie\" n'existe plus"_qs;
    QTest::newRow("failed, EINVAL: the folder holds the trash")
        << Setup::HoldsTheTrash << dupont << int(Outcome::Refused)
        << refusal(u"la corbeille se trouve à l'intérieur de ce dossier"_qs);
    QTest::newRow("failed, EEXIST: every name taken")
        << Setup::NamesTaken << dupont << int(Outcome::Refused)
        << refusal(u"la corbeille contient déjà trop d'éléments de ce nom"_qs);
    QTest::newRow("failed, any other error: its system text")
        << Setup::InfoNotWritable << dupont << int(Outcome::Refused) << refusal(u"accès refusé"_qs);
    QTest::newRow("failed, EBUSY: a mount point")
        << Setup::MountPoint << dupont << int(Outcome::Refused)
        << refusal(u"un disque y est monté"_qs);
    QTest::newRow("no trash, EROFS: read-only volume")
        << Setup::ReadOnlyVolume << dupont << int(Outcome::Refused)
        << refusal(u"le disque est en lecture seule"_qs);
    QTest::newRow("no trash, EACCES: none can be made")
        << Setup::VolumeTopNotWritable << dupont << int(Outcome::Refused)
        << refusal(u"aucune corbeille ne peut être créée sur son disque (accès refusé)"_qs);
    QTest::newRow("no trash, any other error")
        << Setup::VolumeTrashIsAFile << dupont << int(Outcome::Refused)
        << refusal(u"aucune corbeille n'est utilisable sur son disque"_qs);
}

void TestRecycleFolder::statusMessage()
{
    QFETCH(Setup, setup);
    QFETCH(QByteArray, name);
    QFETCH(int, outcome);
    QFETCH(QString, message);

    std::unique_ptr<SmallTmpfs> volume;
    if (onOwnVolume(setup)) {
        volume = std::make_unique<SmallTmpfs>();
        if (!volume->isMounted())
            QSKIP(qPrintable(volume->skipReason()));
    }
    const QString folder = prepare(setup, name, volume.get());
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY2(!folder.isEmpty(), "could not make the row's folder");
    const QString shownName = platform::decodeFileName(name);

    if (asOrdinaryUser(setup)) {
        m_dir->setPermissions(QString(), 0755); // the ordinary user reaches the home trash
        const std::optional<bool> answered = runUnprivileged([&] {
            const RecycleResult result = recycleFolder(folder);
            return int(result.outcome) == outcome &&
                   recycleFailureMessage(result, shownName) == message;
        });
        QVERIFY2(answered.has_value(), "could not run as an ordinary user");
        QVERIFY2(*answered, qPrintable(u"expected: "_qs + message));
    } else {
        const RecycleResult result = recycleFolder(folder);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(recycleFailureMessage(result, shownName), message);
    }

    // Never deleted: in the trash, or still whole where it was.
    if (outcome == int(Outcome::Recycled)) {
        QVERIFY(!entryExists(folder));
        QCOMPARE(readFileBytes(m_dir->nativePath("data/Trash/files/" + name + "/note")), kNote);
    } else if (outcome == int(Outcome::Refused)) {
        QCOMPARE(readFileBytes(folder + u"/note"_qs), kNote);
    }
}

QTEST_GUILESS_MAIN(TestRecycleFolder)
#include "tst_recycle_folder.moc"
