#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names on Linux are bytes, not text. The list shows them as text, and an action
// on a line must reach exactly the entry it came from, so the conversion is reversible:
// valid UTF-8 decodes as usual, and each byte of an invalid sequence becomes the lone
// surrogate U+DC00 + byte (U+DC80..U+DCFF), which the encoder turns back into that
// byte (Python's "surrogateescape"). Two different byte strings never give the same
// text, and encodeFileName(decodeFileName(bytes)) == bytes for every byte string.
//
// Every file operation of the program encodes its paths here, never with
// QFile::encodeName, which would turn such a name into U+FFFD and then into another file.

namespace platform {

QString decodeFileName(QByteArrayView bytes);

// The bytes of a name. Text that no file name decodes to (a lone surrogate outside
// U+DC80..U+DCFF) has no bytes: the result is then empty, and an empty path names no file.
QByteArray encodeFileName(QStringView name);

// A whole path for a system call: encodeFileName, and empty also when the path holds
// U+0000, which the system would silently cut the path at.
QByteArray encodePath(const QString &path);

} // namespace platform
