#include "store/ini_file.h"

#include "store/stored_names.h"

#include "errors/system_error_text.h"
#include "errors/user_error.h"
#include "platform/atomic_file.h"
#include "platform/file_contents.h"
#include "platform/growing_file.h"
#include "platform/program_files_lock.h"
#include "platform/trusted_links.h"
#include "store/ini_document.h"
#include "store/int_conversion.h"
#include "store/log_index.h"
#include "store/program_folders.h"

#include <QHash>
#include <QMutex>

namespace store {

namespace {

QString cutToReadLimit(QString text)
{
    if (text.size() > kIniReadLimit) {
        qsizetype keep = kIniReadLimit;
        // Never end on the first half of a surrogate pair.
        if (text[keep - 1].isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

// error: the status of the failed read or write, when it has one worth telling.
[[noreturn]] void cannotWrite(const QString &path, int error = 0)
{
    QString message = QStringLiteral("Impossible d'écrire dans %1").arg(path);
    if (error == platform::kUntrustedLinkError)
        message += QStringLiteral(". ") + errors::untrustedLinkText(path);
    throw palvoric::UserError(message);
}

} // namespace

QString iniFilePath(const QString &file)
{
    return file.isEmpty() ? settingsFilePath() : file;
}

QString programFilesLockPath(const QString &file)
{
    const qsizetype slash = file.lastIndexOf(u'/');
    return file.left(slash + 1) + kLockFileName;
}

QString settingsFilePath()
{
    return programFolders().settingsFile;
}

namespace {

enum class Growth { ReplaceFile, AppendAtEnd };

// One index per log file for the life of the process, guarded by its mutex.
QMutex logIndexesMutex;
QHash<QString, LogIndex> &logIndexes()
{
    static QHash<QString, LogIndex> indexes;
    return indexes;
}

// Brings the index up to date with the file: reads only what was added since the index
// last saw it, when the file is the same one and still holds what it held; else reads it
// whole. False when the file cannot be read.
bool followFile(LogIndex &index, const platform::GrowingFile &file)
{
    const platform::FileState &now = file.state();
    const platform::FileState &known = index.state();
    if (!index.isEmpty() && now.device == known.device && now.inode == known.inode &&
        now.size >= known.size) {
        // The last bytes read must still be there: a change in place within the clock's
        // tick leaves the times as they were. Then only what another instance appended
        // since is read.
        const QByteArrayView tail = index.tail();
        const std::optional<QByteArray> added = file.readFrom(known.size - tail.size());
        if (!added)
            return false;
        if (added->startsWith(tail) && index.extend(added->sliced(tail.size()), now))
            return true;
    }
    const std::optional<QByteArray> whole = file.readFrom(0);
    if (!whole)
        return false;
    index.reset(*whole, now);
    return true;
}

enum class AppendOutcome {
    Appended,
    Rewrite,             // the change goes elsewhere; the index reads the new file after
    RewriteKeepingIndex, // the change goes into an earlier section; the index follows
};

// Adds the entry's lines at the end of the file when they go there; otherwise the file
// is to be rewritten (or cannot be opened for it, which the rewrite reports).
AppendOutcome appendInPlace(const QString &path, const QString &section, const QString &key,
                            const QString &value, IniKeyRule rule)
{
    std::optional<platform::GrowingFile> file = platform::GrowingFile::open(path);
    if (!file)
        return AppendOutcome::Rewrite;
    const QMutexLocker locker(&logIndexesMutex);
    LogIndex &index = logIndexes()[path];
    if (!followFile(index, *file)) {
        index.clear();
        return AppendOutcome::Rewrite;
    }
    const std::optional<QByteArray> lines = index.appendedLines(section, key, value, rule);
    if (!lines) {
        return index.changeLeavesIndexValid(section) ? AppendOutcome::RewriteKeepingIndex
                                                     : AppendOutcome::Rewrite;
    }
    if (!file->append(*lines)) {
        index.clear();
        cannotWrite(path);
    }
    if (!index.extend(*lines, file->state()))
        index.clear();
    return AppendOutcome::Appended;
}

// After a rewrite of a log, the index learns the new content, so that the next entry is
// appended without reading the file again.
void followRewrittenLog(const QString &path, const QByteArray &bytes, AppendOutcome outcome)
{
    const std::optional<platform::GrowingFile> file = platform::GrowingFile::open(path);
    const QMutexLocker locker(&logIndexesMutex);
    LogIndex &index = logIndexes()[path];
    if (!file || file->state().size != bytes.size())
        index.clear();
    else if (outcome == AppendOutcome::RewriteKeepingIndex)
        index.rebase(bytes, file->state());
    else
        index.reset(bytes, file->state());
}

void writeValue(const QString &section, const QString &key, const QString &value,
                const QString &file, Growth growth, IniKeyRule rule = IniKeyRule::ReplaceValue)
{
    const QString path = iniFilePath(file);
    if (path.isEmpty())
        cannotWrite(path);
    // Another process's change between the read and the replacement would be lost. The
    // logs are written off the window's thread, and may wait for another workstation.
    const platform::ProgramFilesLock lock(programFilesLockPath(path),
                                          growth == Growth::AppendAtEnd
                                              ? platform::ProgramFilesLock::kPatientTimeout
                                              : platform::ProgramFilesLock::kDefaultTimeout);
    if (!lock.isHeld())
        cannotWrite(path);
    AppendOutcome outcome = AppendOutcome::Rewrite;
    if (growth == Growth::AppendAtEnd) {
        outcome = appendInPlace(path, section, key, value, rule);
        if (outcome == AppendOutcome::Appended)
            return;
    }
    QByteArray bytes;
    IniDocument document;
    int error = 0;
    switch (platform::readFileContentsSettled(path, &bytes, nullptr, &error)) {
    case platform::ReadStatus::Ok:
        document = IniDocument::fromBytes(bytes);
        break;
    case platform::ReadStatus::Missing:
        break;
    case platform::ReadStatus::Failed:
        // Writing without the old content would lose it.
        cannotWrite(path, error);
    }
    bool changed = document.writeValue(section, key, value, rule);
    if (growth == Growth::AppendAtEnd)
        changed = document.endLastLine() || changed; // a torn append's partial line
    if (!changed)
        return;
    const QByteArray written = document.toBytes();
    if (!platform::writeFileAtomically(path, written, nullptr, &error))
        cannotWrite(path, error);
    if (growth == Growth::AppendAtEnd)
        followRewrittenLog(path, written, outcome);
}

} // namespace

int removeLeftoverSaves(const QString &folder, std::chrono::milliseconds timeout)
{
    const QString path = folder.endsWith(u'/') ? folder : folder + u'/';
    const platform::ProgramFilesLock lock(programFilesLockPath(path), timeout);
    if (!lock.isHeld())
        return 0;
    return platform::removeStaleTemporaries(folder);
}

void iniWriteString(const QString &section, const QString &key, const QString &value,
                    const QString &file)
{
    writeValue(section, key, value, file, Growth::ReplaceFile);
}

void iniAppendString(const QString &section, const QString &key, const QString &value,
                     const QString &file)
{
    writeValue(section, key, value, file, Growth::AppendAtEnd);
}

void iniAddString(const QString &section, const QString &key, const QString &value,
                  const QString &file)
{
    writeValue(section, key, value, file, Growth::AppendAtEnd, IniKeyRule::AddLine);
}

QString iniReadString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file)
{
    QByteArray bytes;
    if (platform::readFileContentsSettled(iniFilePath(file), &bytes) != platform::ReadStatus::Ok)
        return cutToReadLimit(defaultValue);
    const auto value = IniDocument::fromBytes(bytes).value(section, key);
    return cutToReadLimit(value ? *value : defaultValue);
}

void iniWriteBool(const QString &section, const QString &key, bool value, const QString &file)
{
    iniWriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"), file);
}

bool iniReadBool(const QString &section, const QString &key, bool defaultValue, const QString &file)
{
    const auto number = textToInt(iniReadString(section, key, QString(), file));
    return number ? *number != 0 : defaultValue;
}

} // namespace store
