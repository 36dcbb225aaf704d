#include "store/tidy_ini_file.h"

#include "errors/system_error_text.h"
#include "errors/user_error.h"
#include "platform/atomic_file.h"
#include "platform/file_contents.h"
#include "platform/program_files_lock.h"
#include "store/file_error_cause.h"
#include "store/ini_file.h"
#include "text/code_page.h"
#include "text/text_lines.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <memory>

namespace store {

namespace {

// The header pattern, compiled once. Invalid UTF-16 (a lone surrogate from a damaged
// file) is allowed in subjects: such a line is simply matched around it.
class HeaderPattern
{
public:
    HeaderPattern()
    {
        std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
            pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);
        static const char16_t pattern[] = u"\\[.+\\]";
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                               PCRE2_UTF | PCRE2_MATCH_INVALID_UTF, &error, &offset, context.get());
        Q_ASSERT(m_code);
        m_match = pcre2_match_data_create_from_pattern(m_code, nullptr);
    }
    ~HeaderPattern()
    {
        pcre2_match_data_free(m_match);
        pcre2_code_free(m_code);
    }
    HeaderPattern(const HeaderPattern &) = delete;
    HeaderPattern &operator=(const HeaderPattern &) = delete;

    // True when a match of the pattern starts at the start of line.
    bool matchesAtStart(QStringView line) const
    {
        if (line.size() < 3 || line.front() != u'[')
            return false;
        const int result =
            pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(line.utf16()), PCRE2_SIZE(line.size()),
                        0, PCRE2_ANCHORED, m_match, nullptr);
        return result > 0;
    }

private:
    pcre2_code *m_code = nullptr;
    pcre2_match_data *m_match = nullptr;
};

const HeaderPattern &headerPattern()
{
    static const HeaderPattern pattern;
    return pattern;
}

} // namespace

QStringList tidyLines(const QString &text)
{
    const QStringList lines = text::splitTextLines(text);
    const QString lineBreak = QStringLiteral("\r\n");
    // One sweep gives what replacing each header's text by a line break and itself gives
    // on the logs as written, without touching the same text elsewhere on a line.
    QString tidied;
    tidied.reserve(text.size() + text.size() / 8 + 16);
    for (const QString &line : lines) {
        if (headerPattern().matchesAtStart(line))
            tidied += lineBreak;
        tidied += line;
        tidied += lineBreak;
    }
    tidied.replace(QStringLiteral("\r\n\r\n\r\n"), QStringLiteral("\r\n\r\n"));
    QStringList result = text::splitTextLines(tidied);
    qsizetype firstKept = 0;
    while (firstKept < result.size() && result[firstKept].isEmpty())
        ++firstKept;
    result.remove(0, firstKept);
    return result;
}

void tidyIniFile(const QString &file)
{
    const QString path = iniFilePath(file);
    const platform::ProgramFilesLock lock(programFilesLockPath(path));
    if (!lock.isHeld())
        throw palvoric::UserError(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                                      .arg(path, errors::systemErrorText(lock.error())));
    QByteArray bytes;
    QString cause;
    int error = 0;
    switch (platform::readFileContents(path, &bytes, &cause, &error)) {
    case platform::ReadStatus::Missing:
        return;
    case platform::ReadStatus::Failed:
        throw palvoric::UserError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                      .arg(path, fileErrorCause(path, error, cause)));
    case platform::ReadStatus::Ok:
        break;
    }
    const text::DecodedText decoded = text::decodeText(bytes);
    QString text;
    for (const QString &line : tidyLines(decoded.text)) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const QByteArray tidied = text::encodeText(text, decoded.encoding);
    if (tidied == bytes)
        return; // already tidy: nothing to write
    if (!platform::writeFileAtomically(path, tidied, &cause, &error))
        throw palvoric::UserError(QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                                      .arg(path, fileErrorCause(path, error, cause)));
}

} // namespace store
