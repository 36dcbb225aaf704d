// The history file on any content: it decodes without U+FFFD, what the program writes
// back reads back as the same entries, and the escaping round-trips any text.

#include "fuzz_check.h"
#include "search/search_history.h"
#include "text/code_page.h"
#include "text/line_escape.h"

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
    text::TextEncoding again;
    FUZZ_CHECK(search::decodeHistory(written, &again) == entries);

    search::addToHistory(entries, entries.value(0) + QStringLiteral("x"));
    search::trimHistory(entries);
    FUZZ_CHECK(entries.size() <= 20);

    // The raw input as one text: escaping it keeps it on one line and gives it back.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), size / 2);
    for (auto role :
         {text::EscapeRole::Line, text::EscapeRole::IniValue, text::EscapeRole::IniKey}) {
        const QString escaped = text::escapeLine(text, role);
        FUZZ_CHECK(!escaped.contains(u'\n') && !escaped.contains(u'\r') &&
                   !escaped.contains(QChar(0)));
        FUZZ_CHECK(text::unescapeLine(escaped) == text);
    }
    return 0;
}
