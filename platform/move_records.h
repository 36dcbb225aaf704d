#pragma once

#include "platform/file_state.h"
#include "platform/process_identity.h"
#include "platform/tree_copy.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A move across file systems takes a while, and a run killed in the middle of it must
// leave neither a hidden partial copy nor half an original behind. From before the copy
// starts until the original is removed, the move keeps a record in the folder of the
// program's files; the next run (at start, and before any move) finishes what the records
// of this machine's dead processes tell.
namespace platform {

// Hidden names of the records begin with this.
inline constexpr char kMoveRecordPrefix[] = ".palvoric-move-record-";

struct MoveRecord
{
    enum class Phase {
        Copying,   // the copy grows in the staging folder; the original is whole
        Published, // the copy has its name; the original goes, entry by entry
    };
    Phase phase = Phase::Copying;
    QByteArray host; // the machine that moves
    qint64 pid = 0;  // the process that moves
    QByteArray sourceFolder;
    QByteArray sourceName;
    QByteArray destinationFolder;
    QByteArray stagingName;
    FileState published; // the copy under its name (device and inode), once published
    CopiedStates copied; // what the copy read, once published
};

QByteArray recordBytes(const MoveRecord &record);
std::optional<MoveRecord> parseRecord(QByteArrayView bytes);

// The record of one move in progress, removed when the object goes: a run that is killed
// leaves it. An empty folder keeps no record.
class MoveRecordFile
{
public:
    explicit MoveRecordFile(const QString &recordFolder);
    ~MoveRecordFile();
    MoveRecordFile(const MoveRecordFile &) = delete;
    MoveRecordFile &operator=(const MoveRecordFile &) = delete;

    // Writes the record in one step (platform/atomic_file.h); false when it cannot.
    bool write(const MoveRecord &record);

private:
    QString m_path;
    bool m_written = false;
};

// Finishes what this machine's killed moves left, by their records in recordFolder: a
// staging copy is removed when its original is still there (never when it could be the
// only copy); an original whose copy was published loses the entries still as the copy
// read them. Records of other machines, of running processes, and unreadable ones are
// left. Returns how many records were finished.
int finishInterruptedMoves(const QString &recordFolder);

} // namespace platform
