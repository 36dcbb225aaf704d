// The history file on any content: it decodes without U+FFFD, what the program writes
// back stays one line per entry and reads back as the same entries once written, and the
// escaping gives back any text that holds no character it has to replace.

#include "fuzz_check.h"
#include "search/search_history.h"
#include "text/code_page.h"
#include "text/line_escape.h"

// What an INI reader trims around a value: spaces and tabs only.
static QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    text::TextEncoding found;
    QStringList entries = search::decodeHistory(bytes, &found);

    // One line per entry, whatever the entries hold.
    const QByteArray written = search::encodeHistory(entries, found);
    const QString writtenText = text::decodeText(written).text;
    FUZZ_CHECK(writtenText.count(u'\n') == entries.size());
    FUZZ_CHECK(writtenText.count(u'\r') == entries.size());
    FUZZ_CHECK(!writtenText.contains(QChar(0)));
    // Written once, the entries read back as they were written: the second round changes
    // nothing.
    text::TextEncoding again;
    const QStringList reread = search::decodeHistory(written, &again);
    FUZZ_CHECK(search::decodeHistory(search::encodeHistory(reread, again)) == reread);

    search::addToHistory(entries, entries.value(0) + QStringLiteral("x"));
    search::trimHistory(entries);
    FUZZ_CHECK(entries.size() <= 20);

    // The raw input as one text: escaping it keeps it on one line and gives it back.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), size / 2);
    bool plain = !text.contains(QLatin1StringView("\\u"), Qt::CaseInsensitive);
    for (qsizetype i = 0; plain && i < text.size(); ++i) {
        const QChar c = text[i];
        plain = c != u'\n' && c != u'\r' && c != u'\t' && c != QChar(0) && !c.isSurrogate();
    }
    for (auto role : {text::EscapeRole::Line, text::EscapeRole::IniValue}) {
        const QString escaped = text::escapeLine(text, role);
        FUZZ_CHECK(!escaped.contains(u'\n') && !escaped.contains(u'\r') &&
                   !escaped.contains(u'\t') && !escaped.contains(QChar(0)));
        if (plain && role == text::EscapeRole::Line)
            FUZZ_CHECK(text::unescapeLine(escaped) == text);
        if (plain && role == text::EscapeRole::IniValue)
            FUZZ_CHECK(text::iniValueText(trimBlanks(escaped)) == text);
    }
    return 0;
}
