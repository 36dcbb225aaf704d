#pragma once

#include <QStringView>

#include <optional>

namespace store {

// The integer conversion of the settings file: leading spaces, an optional "+" or "-",
// then decimal digits, or at most eight hexadecimal digits after "$", "x" or "0x" (either
// case of x; the value is read as 32 bits, so "$FFFFFFFF" is -1). Nothing may follow.
// Nothing (no value) for an empty text, any other character, or a decimal value outside
// the signed 32-bit range.
std::optional<int> textToInt(QStringView text);

} // namespace store
