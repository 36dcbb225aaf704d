#include "platform/native_names.h"

#include <QStringDecoder>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // bytes 0x80..0xFF become U+DC80..U+DCFF

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at bytes[i] (Unicode table 3-7: no overlong
// forms, no encoded surrogates, nothing above U+10FFFF), or 0 when there is none.
qsizetype sequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) -> unsigned char {
        return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
    };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return isContinuation(at(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char second = at(1);
        const bool secondOk = lead == 0xE0   ? second >= 0xA0 && second <= 0xBF
                              : lead == 0xED ? second >= 0x80 && second <= 0x9F
                                             : isContinuation(second);
        return secondOk && isContinuation(at(2)) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char second = at(1);
        const bool secondOk = lead == 0xF0   ? second >= 0x90 && second <= 0xBF
                              : lead == 0xF4 ? second >= 0x80 && second <= 0x8F
                                             : isContinuation(second);
        return secondOk && isContinuation(at(2)) && isContinuation(at(3)) ? 4 : 0;
    }
    return 0;
}

// QString::fromUtf8 drops a byte order mark at the start, which would make two names
// (with and without it) one text; the mark is a character of the name like any other.
QString fromUtf8KeepingMark(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeEscaping(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype runStart = 0; // start of the well-formed run not yet decoded
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = sequenceLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text.append(fromUtf8KeepingMark(bytes.sliced(runStart, i - runStart)));
        text.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[i]))));
        runStart = ++i;
    }
    text.append(fromUtf8KeepingMark(bytes.sliced(runStart)));
    return text;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString decodeFileName(QByteArrayView bytes)
{
    // Qt's validator refuses overlong forms and encoded surrogates, as the escaping
    // decoder does, so both agree on which names are plain UTF-8.
    if (bytes.isValidUtf8())
        return fromUtf8KeepingMark(bytes);
    return decodeEscaping(bytes);
}

QByteArray encodeFileName(QStringView name)
{
    QByteArray out;
    out.reserve(name.size() * 3);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit)) {
            if (i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
                appendUtf8(out, QChar::surrogateToUcs4(unit, name[i + 1].unicode()));
                ++i;
                continue;
            }
            return {};
        }
        if (QChar::isLowSurrogate(unit)) {
            if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
                out.append(char(unit - kEscapeBase));
                continue;
            }
            return {};
        }
        appendUtf8(out, unit);
    }
    return out;
}

QByteArray encodePath(const QString &path)
{
    if (path.contains(QChar(u'\0')))
        return {};
    return encodeFileName(path);
}

} // namespace platform
