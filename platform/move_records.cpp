#include "platform/move_records.h"

#include "platform/atomic_file.h"
#include "platform/file_contents.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"

#include <QDir>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

QByteArray stateText(const FileState &state)
{
    return QByteArray::number(state.device) + ' ' + QByteArray::number(state.inode) + ' ' +
           QByteArray::number(state.size) + ' ' + QByteArray::number(state.modifiedNs) + ' ' +
           QByteArray::number(state.changedNs);
}

std::optional<FileState> parseState(const QList<QByteArray> &fields, qsizetype from)
{
    if (fields.size() != from + 5)
        return std::nullopt;
    bool ok[5] = {};
    FileState state{fields[from].toULongLong(&ok[0]), fields[from + 1].toULongLong(&ok[1]),
                    fields[from + 2].toLongLong(&ok[2]), fields[from + 3].toLongLong(&ok[3]),
                    fields[from + 4].toLongLong(&ok[4])};
    for (const bool each : ok) {
        if (!each)
            return std::nullopt;
    }
    return state;
}

bool entryExists(int dir, const QByteArray &name, struct stat *status = nullptr)
{
    struct stat unused;
    return fstatat(dir, name.constData(), status ? status : &unused, AT_SYMLINK_NOFOLLOW) == 0;
}

// Finishes one record; true when nothing is left to do.
bool finish(const MoveRecord &record)
{
    UniqueFd destination(::open(record.destinationFolder.constData(), kOpenFolder));
    UniqueFd source(::open(record.sourceFolder.constData(), kOpenFolder));
    if (record.phase == MoveRecord::Phase::Copying) {
        if (!destination.isValid() || !entryExists(destination.get(), record.stagingName))
            return true; // nothing was staged, or it is gone
        // Without its original the staging folder could be the only copy: it stays.
        if (!source.isValid() || !entryExists(source.get(), record.sourceName))
            return false;
        QByteArray failedPath;
        const int error = removeTree(destination.get(), record.stagingName, true, failedPath);
        syncFolder(destination.get());
        return error == 0;
    }
    if (!source.isValid() || !entryExists(source.get(), record.sourceName))
        return true;
    // The original goes only while its copy is there under its name.
    struct stat copy;
    if (!destination.isValid() || !entryExists(destination.get(), record.sourceName, &copy) ||
        quint64(copy.st_dev) != record.published.device ||
        quint64(copy.st_ino) != record.published.inode)
        return false;
    QList<QByteArray> kept;
    QByteArray failedPath;
    const int error =
        removeCopiedTree(source.get(), record.sourceName, record.copied, kept, failedPath);
    syncFolder(source.get());
    return error == 0;
}

} // namespace

QByteArray recordBytes(const MoveRecord &record)
{
    QByteArray bytes = "palvoric-move 1\n";
    bytes += "phase " +
             QByteArray(record.phase == MoveRecord::Phase::Copying ? "copying" : "published") +
             '\n';
    bytes += "host " + record.host.toHex() + '\n';
    bytes += "pid " + QByteArray::number(record.pid) + '\n';
    bytes += "source-folder " + record.sourceFolder.toHex() + '\n';
    bytes += "source-name " + record.sourceName.toHex() + '\n';
    bytes += "destination " + record.destinationFolder.toHex() + '\n';
    bytes += "staging " + record.stagingName.toHex() + '\n';
    if (record.phase == MoveRecord::Phase::Published) {
        bytes += "published " + stateText(record.published) + '\n';
        for (auto it = record.copied.cbegin(); it != record.copied.cend(); ++it)
            bytes += "entry " + it.key().toHex() + ' ' + stateText(it.value()) + '\n';
    }
    return bytes;
}

std::optional<MoveRecord> parseRecord(QByteArrayView bytes)
{
    const QList<QByteArray> lines = bytes.toByteArray().split('\n');
    if (lines.isEmpty() || lines.first() != "palvoric-move 1")
        return std::nullopt;
    MoveRecord record;
    bool hasPhase = false;
    bool published = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        const QByteArray &key = fields.first();
        if (lines[i].isEmpty())
            continue;
        if (key == "entry" && fields.size() == 7) {
            const std::optional<FileState> state = parseState(fields, 2);
            if (!state)
                return std::nullopt;
            record.copied.insert(QByteArray::fromHex(fields[1]), *state);
        } else if (key == "published") {
            const std::optional<FileState> state = parseState(fields, 1);
            if (!state)
                return std::nullopt;
            record.published = *state;
            published = true;
        } else if (fields.size() != 2) {
            return std::nullopt;
        } else if (key == "phase") {
            hasPhase = fields[1] == "copying" || fields[1] == "published";
            record.phase =
                fields[1] == "copying" ? MoveRecord::Phase::Copying : MoveRecord::Phase::Published;
        } else if (key == "pid") {
            bool ok = false;
            record.pid = fields[1].toLongLong(&ok);
            if (!ok)
                return std::nullopt;
        } else if (key == "host") {
            record.host = QByteArray::fromHex(fields[1]);
        } else if (key == "source-folder") {
            record.sourceFolder = QByteArray::fromHex(fields[1]);
        } else if (key == "source-name") {
            record.sourceName = QByteArray::fromHex(fields[1]);
        } else if (key == "destination") {
            record.destinationFolder = QByteArray::fromHex(fields[1]);
        } else if (key == "staging") {
            record.stagingName = QByteArray::fromHex(fields[1]);
        }
    }
    // A record cut short says nothing to act on.
    if (!hasPhase || record.pid <= 0 || record.sourceFolder.isEmpty() ||
        record.sourceName.isEmpty() || record.destinationFolder.isEmpty() ||
        record.stagingName.isEmpty() ||
        (record.phase == MoveRecord::Phase::Published && !published))
        return std::nullopt;
    return record;
}

MoveRecordFile::MoveRecordFile(const QString &recordFolder)
{
    if (recordFolder.isEmpty())
        return;
    m_path = QDir(recordFolder)
                 .filePath(QString::fromLatin1(kMoveRecordPrefix) + QString::number(getpid()) +
                           u'-' + QString::number(QRandomGenerator::global()->generate(), 16));
}

MoveRecordFile::~MoveRecordFile()
{
    if (m_written)
        ::unlink(encodePath(m_path).constData());
}

bool MoveRecordFile::write(const MoveRecord &record)
{
    if (m_path.isEmpty())
        return false;
    m_written = writeFileAtomically(m_path, recordBytes(record)) || m_written;
    return m_written;
}

int finishInterruptedMoves(const QString &recordFolder)
{
    const QDir folder(recordFolder);
    if (recordFolder.isEmpty() || !folder.exists())
        return 0;
    const QByteArray host = thisHostName();
    int finished = 0;
    const QStringList names = folder.entryList({QString::fromLatin1(kMoveRecordPrefix) + u'*'},
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        QByteArray bytes;
        if (readFileContents(path, &bytes) != ReadStatus::Ok)
            continue;
        const std::optional<MoveRecord> record = parseRecord(bytes);
        if (!record || record->host != host || processMayRun(record->pid))
            continue;
        if (finish(*record) && ::unlink(encodePath(path).constData()) == 0)
            ++finished;
    }
    return finished;
}

} // namespace platform
