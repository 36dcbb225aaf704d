#pragma once

#include <QStringView>

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

class QCollator;

namespace search {

// Sort keys for the names the practice writes, in the Latin letters of French: ASCII,
// accented letters (one accent, precomposed or decomposed as macOS writes them). Such a
// key is two short byte strings, the letters' primary ranks, then their accents' ranks,
// and it orders names exactly as the collator does, without asking the collator: a
// hundred thousand keys cost less than the folder's enumeration, where the collator's
// own keys cost more than it.
//
// The ranks are read off the collator itself, and the table is checked against it on
// sample names; when the locale's rules cannot be written this way (contractions as in
// Czech "ch", accents compared backwards as in Canadian French ...) isUsable() is false
// and every name goes to the collator.
class LatinSortKeys
{
public:
    // collator: case-insensitive; it is used only while the table is built.
    explicit LatinSortKeys(const QCollator &collator);

    bool isUsable() const { return m_usable; }

    // Appends the key of name to out and returns true; returns false and leaves out as
    // it was when the name holds a character the table does not cover. A key holds no
    // zero byte, so keys compare as byte strings, zero-padded.
    bool appendKey(QStringView name, std::vector<std::uint8_t> &out) const;

private:
    enum class Kind : std::uint8_t { Unsupported, Ignorable, Letter };
    static constexpr char16_t kTableSize = 0x180; // ASCII, Latin-1, Latin Extended-A
    static constexpr char16_t kFirstMark = 0x300, kMarkCount = 0x70;

    bool deriveBaseRanks(const QCollator &collator);
    bool deriveMarkRanks(const QCollator &collator);
    void deriveAccentedLetters(const QCollator &collator);
    bool agreesWithCollator(const QCollator &collator) const;

    bool m_usable = false;
    std::array<Kind, kTableSize> m_kind{};
    std::array<std::uint8_t, kTableSize> m_primary{};
    std::array<std::uint8_t, kTableSize> m_accent{};   // accented letters: their accent's rank
    std::array<std::uint8_t, kMarkCount> m_markRank{}; // 0: not covered
    std::array<std::bitset<kMarkCount>, 0x80> m_markAfter{}; // decomposed pairs checked
};

} // namespace search
