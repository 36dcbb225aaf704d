// The INI engine on any file content: reading never fails, an unchanged document gives
// its bytes back, a write can be read back from the bytes it produces, adds no empty
// line and at most the lines it needs; the geometry pieces of a value convert safely.

#include "errors/user_error.h"
#include "fuzz_check.h"
#include "store/form_geometry.h"
#include "store/ini_document.h"
#include "store/log_index.h"
#include "store/split_string.h"
#include "text/code_page.h"
#include "text/line_escape.h"

#include <QStringDecoder>

#include <fuzzer/FuzzedDataProvider.h>

using namespace store;

namespace {

QString fuzzedText(FuzzedDataProvider &provider)
{
    const std::string bytes = provider.ConsumeRandomLengthString(64);
    // Two bytes a code unit, lone surrogates and all.
    QString text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
    return text;
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(bytes); // decoding happens on conversion
    return !decoder.hasError();
}

bool keptByteForByte(QByteArrayView bytes, text::TextEncoding encoding)
{
    switch (encoding) {
    case text::TextEncoding::Utf16LeBom:
    case text::TextEncoding::Utf16BeBom:
        return bytes.size() % 2 == 0; // an odd last byte cannot be read
    case text::TextEncoding::Utf8Bom:
        return isValidUtf8(bytes.sliced(3));
    case text::TextEncoding::Ansi:
        // A last character cut short (a torn append) is written whole again.
        return text::checkUtf8(bytes) != text::Utf8Validity::CutAtEnd;
    default:
        return true;
    }
}

qsizetype blankLines(const QString &text)
{
    qsizetype count = 0;
    qsizetype start = 0;
    auto countLine = [&](qsizetype end) {
        if (QStringView(text).sliced(start, end - start).trimmed().isEmpty())
            ++count;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        countLine(i);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        countLine(text.size());
    return count;
}

// What an INI reader trims around a name or a value: spaces and tabs only.
QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString section = fuzzedText(provider);
    const QString key = fuzzedText(provider);
    const QString value = fuzzedText(provider);
    const std::vector<uint8_t> rest = provider.ConsumeRemainingBytes<uint8_t>();
    const QByteArrayView bytes(rest.data(), qsizetype(rest.size()));

    IniDocument document = IniDocument::fromBytes(bytes);
    const QByteArray unchanged = document.toBytes();
    if (keptByteForByte(bytes, document.encoding()))
        FUZZ_CHECK(unchanged == bytes);

    const auto before = document.value(section, key);
    const QString beforeText = text::decodeText(unchanged).text;
    if (before) {
        QRect geometry(10, 20, 354, 399);
        try {
            applyGeometryPieces(splitString(*before, QStringLiteral(":")), geometry,
                                QRect(0, 0, 1920, 1040));
        } catch (const palvoric::UserError &) {
        }
    }

    // A key line ends its key at the first "=", and one that starts with "[" is a header:
    // such keys cannot be stored. Any other one reads back what its written form says
    // (a line break's picture for a line break; the rest as it was).
    const QString writtenKey = text::escapeLine(key);
    const bool storable = !writtenKey.contains(u'=') && !trimBlanks(writtenKey).startsWith(u'[');
    const QString stored =
        text::iniValueText(trimBlanks(text::escapeLine(value, text::EscapeRole::IniValue)));
    const bool changed = document.setValue(section, key, value);
    if (!changed)
        FUZZ_CHECK(before == stored);
    const QByteArray written = document.toBytes();
    const IniDocument reread = IniDocument::fromBytes(written);
    if (storable) {
        FUZZ_CHECK(document.value(section, key) == stored);
        FUZZ_CHECK(reread.value(section, key) == stored);
    }

    // A log entry added in place must give the same file as the rewrite.
    store::LogIndex index;
    index.reset(bytes, {});
    if (const auto lines = index.appendedLines(section, key, value)) {
        FUZZ_CHECK(changed);
        FUZZ_CHECK(QByteArray(bytes.toByteArray() + *lines) == written);
    }
    // A journal entry, which gets a line of its own even beside the same key, likewise.
    IniDocument added = IniDocument::fromBytes(bytes);
    added.addValue(section, key, value);
    if (const auto lines = index.appendedLines(section, key, value, IniKeyRule::AddLine))
        FUZZ_CHECK(QByteArray(bytes.toByteArray() + *lines) == added.toBytes());

    const QString afterText = text::decodeText(written).text;
    FUZZ_CHECK(blankLines(afterText) <= blankLines(beforeText));
    FUZZ_CHECK(afterText.count(u'\n') + afterText.count(u'\r') <=
               beforeText.count(u'\n') + beforeText.count(u'\r') + 6);
    return 0;
}
