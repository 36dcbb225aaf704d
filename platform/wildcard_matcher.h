#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <string>

namespace platform {

// A folder-listing pattern as Windows reads it: "*" stands for any run of characters
// (none included), "?" for exactly one UTF-16 code unit, every other character for
// itself, letter case ignored over all of Unicode (simple case folding per code unit,
// so É matches é). There is no escape: "*" and "?" are always wildcards.
//
// Matching is linear in name length times pattern length, whatever the stars ("**",
// "*?*", ...): one backtracking point, never a recursion.
class WildcardMatcher
{
public:
    enum class ByteAnswer { NoMatch, Match, Undecided };
    // Ignored: letters also match without their diacritics (the pattern and each name are
    // decomposed and their combining marks left out: "helene" matches "HÉLÈNE", in any
    // script Unicode decomposes), and the ligatures œ and æ match "oe" and "ae".
    enum class Accents { Kept, Ignored };

    explicit WildcardMatcher(QStringView pattern, Accents accents = Accents::Kept);

    bool matches(QStringView name) const;

    // The answer from a name's raw bytes, without decoding it: ASCII bytes stand for
    // themselves, and Undecided means a byte above 0x7F mattered, so the caller decodes
    // the name and asks matches(). When the pattern has no "?" and only ASCII letters
    // that no other character folds to, bytes above 0x7F cannot meet anything but a star
    // and the answer is never Undecided.
    ByteAnswer matchesBytes(QByteArrayView name) const;

    bool matchesEverything() const { return m_matchesEverything; }

private:
    std::u16string m_pattern; // folded, runs of stars made one
    Accents m_accents = Accents::Kept;
    bool m_matchesEverything = false;
    bool m_nonAsciiIsOpaque = false;
};

} // namespace platform
