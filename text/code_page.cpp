#include "text/code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <QtEndian>

#include <bit>
#include <langinfo.h>

namespace text {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five bytes Windows leaves undefined map to the
// C1 control of the same number, as MultiByteToWideChar does.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t windows1252Char(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kWindows1252High[byte - 0x80];
    return byte;
}

bool windows1252Byte(char16_t c, char *byte)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        *byte = char(c);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == c) {
            *byte = char(0x80 + i);
            return true;
        }
    }
    return false;
}

// Valid UTF-8 decoded, or nothing. A mark inside the text is a character like any other.
bool decodeStrictUtf8(QByteArrayView bytes, QString *out)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    *out = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decodedUtf8(QByteArrayView bytes)
{
    QString text;
    decodeStrictUtf8(bytes, &text);
    return text;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype units = bytes.size() / 2; // an odd last byte cannot be read
    QString text(units, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < units; ++i) {
        const unsigned char a = in[2 * i], b = in[2 * i + 1];
        out[i] = bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    }
    return text;
}

QByteArray encodeUtf16(QStringView text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        bytes[2 * i] = char(bigEndian ? c >> 8 : c & 0xFF);
        bytes[2 * i + 1] = char(bigEndian ? c & 0xFF : c >> 8);
    }
    return bytes;
}

QByteArray encodeUtf8(QStringView text)
{
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return encoder.encode(text);
}

// Length of the valid UTF-8 sequence at p (at most n bytes there), 0 when invalid.
qsizetype utf8SequenceLength(const unsigned char *p, qsizetype n)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    auto continuation = [&](qsizetype k, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return k < n && p[k] >= low && p[k] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(1, low, high) && continuation(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
    }
    return 0;
}

// Whether the n bytes at p (n < the length the lead byte announces) begin a valid
// sequence.
bool isCutUtf8Sequence(const unsigned char *p, qsizetype n)
{
    const unsigned char lead = p[0];
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (n >= length)
        return false;
    for (qsizetype k = 1; k < n; ++k) {
        if (p[k] < (k == 1 ? low : 0x80) || p[k] > (k == 1 ? high : 0xBF))
            return false;
    }
    return true;
}

const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LeMark("\xFF\xFE", 2);
const QByteArray kUtf16BeMark("\xFE\xFF", 2);

} // namespace

QByteArray normalisedCodeSet(const QByteArray &codeSet)
{
    const QByteArray upper = codeSet.toUpper();
    if (upper.isEmpty() || upper == "ANSI_X3.4-1968" || upper == "ASCII" || upper == "US-ASCII" ||
        upper == "UTF-8" || upper == "UTF8")
        return QByteArrayLiteral("UTF-8");
    return upper;
}

QByteArray ansiCodeSet()
{
    return normalisedCodeSet(QByteArray(nl_langinfo(CODESET)));
}

bool ansiIsUtf8()
{
    return ansiCodeSet() == "UTF-8";
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = windows1252Char(static_cast<unsigned char>(bytes[i]));
    return text;
}

bool encodeWindows1252(QStringView text, QByteArray *out)
{
    out->resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!windows1252Byte(text[i].unicode(), out->data() + i))
            return false;
    }
    return true;
}

Utf8Validity checkUtf8(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    constexpr quint64 kHighBits = 0x8080808080808080ULL;
    while (i < size) {
        // Eight bytes at a time up to the first byte that is not ASCII.
        if (i + 8 <= size) {
            const quint64 high = qFromLittleEndian<quint64>(data + i) & kHighBits;
            if (high == 0) {
                i += 8;
                continue;
            }
            i += std::countr_zero(high) / 8;
        } else if (data[i] < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(data + i, size - i);
        if (length == 0)
            return isCutUtf8Sequence(data + i, size - i) ? Utf8Validity::CutAtEnd
                                                         : Utf8Validity::Invalid;
        i += length;
    }
    return Utf8Validity::Valid;
}

QString decodeAnsi(QByteArrayView bytes, TextEncoding *found)
{
    if (found)
        *found = TextEncoding::Ansi;
    const QByteArray codeSet = ansiCodeSet();
    if (codeSet != "UTF-8") {
        QStringDecoder decoder(codeSet.constData(), QStringConverter::Flag::ConvertInitialBom |
                                                        QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QString text;
    if (decodeStrictUtf8(bytes, &text))
        return text;
    if (checkUtf8(bytes) == Utf8Validity::CutAtEnd)
        return decodeUtf8Lenient(bytes);
    if (found)
        *found = TextEncoding::Windows1252;
    return decodeWindows1252(bytes);
}

QByteArray encodeAnsi(QStringView text)
{
    const QByteArray codeSet = ansiCodeSet();
    if (codeSet != "UTF-8") {
        QStringEncoder encoder(codeSet.constData(), QStringConverter::Flag::ConvertInitialBom);
        if (encoder.isValid())
            return encoder.encode(text);
    }
    return encodeUtf8(text);
}

QString decodeUtf8Lenient(QByteArrayView bytes)
{
    QString text;
    if (decodeStrictUtf8(bytes, &text))
        return text;
    text.clear();
    text.reserve(bytes.size());
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype validStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = utf8SequenceLength(data + i, bytes.size() - i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += decodedUtf8(bytes.sliced(validStart, i - validStart));
        text += QChar(windows1252Char(data[i]));
        validStart = ++i;
    }
    text += decodedUtf8(bytes.sliced(validStart, i - validStart));
    return text;
}

DecodedText decodeText(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf8Mark))
        return {decodeUtf8Lenient(bytes.sliced(3)), TextEncoding::Utf8Bom};
    if (bytes.startsWith(kUtf16LeMark))
        return {decodeUtf16(bytes.sliced(2), false), TextEncoding::Utf16LeBom};
    if (bytes.startsWith(kUtf16BeMark))
        return {decodeUtf16(bytes.sliced(2), true), TextEncoding::Utf16BeBom};
    DecodedText decoded;
    decoded.text = decodeAnsi(bytes, &decoded.encoding);
    return decoded;
}

std::optional<QByteArray> encodeWithoutMark(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return encodeUtf8(text);
    case TextEncoding::Utf16LeBom:
        return encodeUtf16(text, false);
    case TextEncoding::Utf16BeBom:
        return encodeUtf16(text, true);
    case TextEncoding::Windows1252: {
        QByteArray bytes;
        if (encodeWindows1252(text, &bytes))
            return bytes;
        return std::nullopt;
    }
    case TextEncoding::Ansi:
        break;
    }
    return encodeAnsi(text);
}

QByteArray encodeText(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return kUtf8Mark + encodeUtf8(text);
    case TextEncoding::Utf16LeBom:
        return kUtf16LeMark + encodeUtf16(text, false);
    case TextEncoding::Utf16BeBom:
        return kUtf16BeMark + encodeUtf16(text, true);
    case TextEncoding::Windows1252: {
        QByteArray bytes;
        if (encodeWindows1252(text, &bytes))
            return bytes;
        return encodeAnsi(text);
    }
    case TextEncoding::Ansi:
        break;
    }
    return encodeAnsi(text);
}

TextEncoding ansiRewriteEncoding(TextEncoding found)
{
    if (found != TextEncoding::Ansi && found != TextEncoding::Windows1252)
        return found;
    return ansiIsUtf8() ? TextEncoding::Utf8Bom : TextEncoding::Ansi;
}

} // namespace text
