#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A folder-listing pattern: "*" stands for any run of characters (none included), "?"
// for exactly one character as the user sees it (a letter with its combining accent, an
// emoji), every other character for itself. There is no escape: "*" and "?" are always
// wildcards. Letter case is ignored over all of Unicode (simple case folding, so É
// matches é), and a name matches whichever way its accents are written: the pattern and
// the name are compared in their canonical composed form (NFC), so a typed "é" finds a
// name that stores "e" and a combining accent, and a plain "e" never finds either.
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
    // the name and asks matches(). A name whose bytes are all ASCII is always decided.
    // When the pattern has no "?" and only ASCII characters that nothing else folds or
    // composes to, bytes above 0x7F cannot meet anything but a star: the answer is then
    // Undecided only where a matched character may carry a combining mark.
    ByteAnswer matchesBytes(QByteArrayView name) const;

    bool matchesEverything() const { return m_matchesEverything; }

private:
    // One step of the pattern over the name's characters.
    struct Step
    {
        enum class Kind : std::uint8_t { AnyRun, AnyCharacter, Literal };
        Kind kind;
        std::uint32_t begin; // a literal's code units in m_pattern
        std::uint32_t length;
    };

    template<typename SameCharacter> bool walk(qsizetype nameLength, SameCharacter same) const;
    ByteAnswer walkBytes(const unsigned char *bytes, qsizetype n) const;
    ByteAnswer walkLatinWithoutAccents(QByteArrayView name) const;

    std::u16string m_pattern; // canonical, folded, runs of stars made one
    std::vector<Step> m_steps;
    Accents m_accents = Accents::Kept;
    bool m_matchesEverything = false;
    bool m_nonAsciiIsOpaque = false;
};

} // namespace platform
