// The search's wildcard matcher: the answer from a name's raw bytes never contradicts the
// answer from its decoded text, and a name matches the same whichever canonical form
// (composed or decomposed) its accents are written in.
//
// Input: one byte of options, the pattern as UTF-8 up to the first NUL, the name's bytes.

#include "fuzz/fuzz_check.h"
#include "platform/native_names.h"
#include "platform/wildcard_matcher.h"

#include <QString>

#include <cstddef>
#include <cstdint>

using platform::WildcardMatcher;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const auto accents =
        (data[0] & 1) ? WildcardMatcher::Accents::Ignored : WildcardMatcher::Accents::Kept;
    const QByteArrayView rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype nul = rest.indexOf('\0');
    const QByteArrayView patternBytes = nul < 0 ? rest : rest.first(nul);
    const QByteArrayView name = nul < 0 ? QByteArrayView() : rest.sliced(nul + 1);
    if (patternBytes.size() > 64 || name.size() > 255)
        return 0; // a name longer than the system allows; keeps each run quick

    const WildcardMatcher matcher(QString::fromUtf8(patternBytes), accents);
    const QString decoded = platform::decodeFileName(name);
    const bool expected = matcher.matches(decoded);
    const WildcardMatcher::ByteAnswer answer = matcher.matchesBytes(name);
    FUZZ_CHECK(answer == WildcardMatcher::ByteAnswer::Undecided ||
               (answer == WildcardMatcher::ByteAnswer::Match) == expected);

    // Escaped bytes are no text to normalize: only names that are whole UTF-8.
    if (QString::fromUtf8(name).toUtf8() == name) {
        FUZZ_CHECK(matcher.matches(decoded.normalized(QString::NormalizationForm_D)) == expected);
        FUZZ_CHECK(matcher.matches(decoded.normalized(QString::NormalizationForm_C)) == expected);
    }
    return 0;
}
