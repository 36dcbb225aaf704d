#include "search/search_history.h"

#include "errors/system_error_text.h"
#include "errors/user_error.h"
#include "platform/atomic_file.h"
#include "platform/file_contents.h"
#include "platform/program_files_lock.h"
#include "store/file_error_cause.h"
#include "store/ini_file.h"
#include "store/stored_names.h"
#include "text/line_escape.h"
#include "text/text_lines.h"

namespace search {

namespace {

constexpr qsizetype kLongest = 20;
constexpr qsizetype kKeptWhenLonger = 19;

bool sameAsciiFolded(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x -= u'a' - u'A';
        if (y >= u'a' && y <= u'z')
            y -= u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

bool holds(const QStringList &history, const QString &text)
{
    return std::any_of(history.cbegin(), history.cend(),
                       [&](const QString &entry) { return sameAsciiFolded(entry, text); });
}

} // namespace

QString historyFilePath(const QString &exeFolder)
{
    return exeFolder + store::kHistoryFileName;
}

bool addToHistory(QStringList &history, const QString &text, const QString &boxText)
{
    const QString entry = text.isEmpty() ? boxText : text;
    if (holds(history, entry))
        return false;
    history.prepend(entry);
    return true;
}

QStringList decodeHistory(QByteArrayView bytes, text::TextEncoding *encoding)
{
    text::DecodedText decoded = text::decodeText(bytes);
    if (encoding)
        *encoding = decoded.encoding;
    QString &text = decoded.text;
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    QStringList entries;
    for (const QString &line : text::splitTextLines(text))
        entries.append(text::unescapeLine(line));
    return entries;
}

QByteArray encodeHistory(const QStringList &entries, text::TextEncoding found)
{
    QString text;
    for (const QString &entry : entries) {
        text += text::escapeLine(entry);
        text += QStringLiteral("\r\n");
    }
    return text::encodeText(text, text::ansiRewriteEncoding(found));
}

void loadHistory(const QString &path, QStringList &entries, HistoryFileState &state)
{
    entries.clear();
    state = HistoryFileState();
    QByteArray bytes;
    QString cause;
    int error = 0;
    switch (platform::readFileContentsSettled(path, &bytes, &cause, &error)) {
    case platform::ReadStatus::Missing:
        return;
    case platform::ReadStatus::Failed:
        state.unreadable = true;
        throw palvoric::UserError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                      .arg(path, store::fileErrorCause(path, error, cause)));
    case platform::ReadStatus::Ok:
        break;
    }
    entries = decodeHistory(bytes, &state.encoding);
    state.loaded = entries;
}

void trimHistory(QStringList &entries)
{
    if (entries.size() > kLongest)
        entries.resize(kKeptWhenLonger);
}

QStringList mergeHistory(const QStringList &additions, const QStringList &onDisk)
{
    QStringList merged;
    for (const QString &entry : additions) {
        if (!holds(merged, entry) && !holds(onDisk, entry))
            merged.append(entry);
    }
    // The file's lines are the user's or another workstation's: kept as they are, the
    // repeated and the empty ones included.
    merged += onDisk;
    trimHistory(merged);
    return merged;
}

void saveHistory(const QString &path, const QStringList &entries, const HistoryFileState &state)
{
    const platform::ProgramFilesLock lock(store::programFilesLockPath(path));
    if (!lock.isHeld())
        throw palvoric::UserError(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                                      .arg(path, errors::systemErrorText(lock.error())));
    QStringList written = entries;
    text::TextEncoding encoding = state.encoding;
    QByteArray bytes;
    switch (platform::readFileContents(path, &bytes)) {
    case platform::ReadStatus::Ok: {
        QStringList additions;
        for (const QString &entry : entries) {
            if (!holds(state.loaded, entry))
                additions.append(entry);
        }
        written = mergeHistory(additions, decodeHistory(bytes, &encoding));
        break;
    }
    case platform::ReadStatus::Missing:
    case platform::ReadStatus::Failed:
        break;
    }
    QString cause;
    int error = 0;
    if (!platform::writeFileAtomically(path, encodeHistory(written, encoding), &cause, &error))
        throw palvoric::UserError(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                                      .arg(path, store::fileErrorCause(path, error, cause)));
}

} // namespace search
