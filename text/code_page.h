#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The program's text files are read and written the way Windows programs do: a
// byte-order mark names the encoding, and a file without one is in the "ANSI code
// page", which on Linux is the character set of the user's locale (UTF-8 on any current
// system). Files brought from a Windows machine are Windows-1252 without a mark: when
// such bytes are not valid UTF-8 they are read as Windows-1252, never as U+FFFD.
namespace text {

enum class TextEncoding {
    Ansi,        // the locale's character set, no mark
    Windows1252, // no mark, not valid in the locale's set: read and kept as Windows-1252
    Utf8Bom,     // EF BB BF
    Utf16LeBom,  // FF FE
    Utf16BeBom,  // FE FF
};

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Ansi;
};

// Normalised name of the locale's character set ("UTF-8", "ISO-8859-15"...). The C and
// POSIX locales, whose set is plain ASCII, count as UTF-8, as they do for Qt.
QByteArray ansiCodeSet();
// The mapping behind ansiCodeSet(), for a name as nl_langinfo(CODESET) gives it.
QByteArray normalisedCodeSet(const QByteArray &codeSet);
bool ansiIsUtf8();

// Every byte has a character, the five bytes Windows leaves undefined included
// (0x81, 0x8D, 0x8F, 0x90, 0x9D become U+0081...), so that decoding never loses a byte.
QString decodeWindows1252(QByteArrayView bytes);
// False when text holds a character Windows-1252 lacks; out is then left unspecified.
bool encodeWindows1252(QStringView text, QByteArray *out);

enum class Utf8Validity {
    Valid,
    CutAtEnd, // valid but for a last character cut short, as a write stopped midway leaves
    Invalid,
};
// Checks bytes as UTF-8 without decoding them, at memory speed over ASCII.
Utf8Validity checkUtf8(QByteArrayView bytes);

// Decodes text without a mark: the locale's set, or Windows-1252 when the locale's set
// is UTF-8 and the bytes are not valid UTF-8. found receives which of the two it was.
// UTF-8 whose last character was cut short (a log line whose append was interrupted)
// stays UTF-8, the cut bytes read as their Windows-1252 characters.
QString decodeAnsi(QByteArrayView bytes, TextEncoding *found = nullptr);
// Encodes in the locale's set; characters it lacks become its substitution character.
QByteArray encodeAnsi(QStringView text);

// UTF-8 that never yields U+FFFD: each byte of an invalid sequence is read as its
// Windows-1252 character. Used for text that claims UTF-8 with a mark but is damaged.
QString decodeUtf8Lenient(QByteArrayView bytes);

// The bytes of text in encoding, without the mark: what is added at the end of a file
// in that encoding. Nothing when Windows-1252 lacks one of the characters.
std::optional<QByteArray> encodeWithoutMark(QStringView text, TextEncoding encoding);

// The mark decides, tested in the order EF BB BF, FF FE, FE FF; otherwise decodeAnsi.
// The mark is not part of the text. A UTF-16 text with an odd number of bytes loses
// its last byte; lone surrogates are kept as they are.
DecodedText decodeText(QByteArrayView bytes);
// The reverse of decodeText: the mark first, then the text. Windows-1252 text holding a
// character that Windows-1252 lacks is written in the ANSI code page instead, so that no
// character is lost.
QByteArray encodeText(QStringView text, TextEncoding encoding);

// The encoding a file found with `found` is written back in when, as for the search
// history, a file without a mark is rewritten in the ANSI code page and a UTF-8 code page
// gets its mark (Windows does that for code page 65001).
TextEncoding ansiRewriteEncoding(TextEncoding found);

} // namespace text
