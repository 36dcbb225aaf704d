#include "search/latin_sort_keys.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QString>

#include <algorithm>
#include <cstring>

namespace search {

namespace {

// Key layout: primary ranks (from 2), then 1, then one accent rank per letter: 2 for
// none, from 3 for an accent, in the collator's order of accents.
constexpr std::uint8_t kLevelSeparator = 1;
constexpr std::uint8_t kFirstPrimary = 2;
constexpr std::uint8_t kNoAccent = 2;
constexpr std::uint8_t kFirstAccent = 3;
constexpr qsizetype kLongestName = 255; // one file name, in code units at most

QString text(char16_t unit)
{
    return QString(QChar(unit));
}

int compareKeys(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    const size_t common = std::min(a.size(), b.size());
    if (const int byBytes = common ? std::memcmp(a.data(), b.data(), common) : 0)
        return byBytes;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

LatinSortKeys::LatinSortKeys(const QCollator &collator)
{
    m_usable = deriveBaseRanks(collator) && deriveMarkRanks(collator);
    if (!m_usable)
        return;
    deriveAccentedLetters(collator);
    m_usable = agreesWithCollator(collator);
}

bool LatinSortKeys::deriveBaseRanks(const QCollator &collator)
{
    std::vector<char16_t> letters;
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        // Not against the empty text, which QCollator answers without asking ICU.
        if (collator.compare(text(unit) + u'a', u"a"_qs) == 0)
            m_kind[unit] = Kind::Ignorable;
        else
            letters.push_back(unit);
    }
    std::stable_sort(letters.begin(), letters.end(), [&](char16_t a, char16_t b) {
        return collator.compare(text(a), text(b)) < 0;
    });
    int rank = kFirstPrimary;
    for (size_t i = 0; i < letters.size(); ++i) {
        if (i > 0 && collator.compare(text(letters[i - 1]), text(letters[i])) != 0) {
            // A new rank must differ at the first level, not only by an accent or case.
            if (collator.compare(text(letters[i - 1]) + u'b', text(letters[i]) + u'a') >= 0)
                return false;
            ++rank;
        }
        if (rank > 250)
            return false;
        m_kind[letters[i]] = Kind::Letter;
        m_primary[letters[i]] = std::uint8_t(rank);
    }
    return true;
}

bool LatinSortKeys::deriveMarkRanks(const QCollator &collator)
{
    // On "x", which no language joins with an accent into a letter of its own.
    const QString x = u"x"_qs;
    std::vector<char16_t> marks;
    for (char16_t mark = kFirstMark; mark < kFirstMark + kMarkCount; ++mark) {
        const QString accented = x + QChar(mark);
        const bool secondLevelOnly = collator.compare(accented + u'b', u"xc"_qs) < 0 &&
                                     collator.compare(accented + u'c', u"xb"_qs) > 0;
        const bool aboveNoAccent = collator.compare(accented + u'a', u"xa"_qs) > 0;
        if (secondLevelOnly && aboveNoAccent)
            marks.push_back(mark);
    }
    std::stable_sort(marks.begin(), marks.end(), [&](char16_t a, char16_t b) {
        return collator.compare(x + QChar(a), x + QChar(b)) < 0;
    });
    int rank = kFirstAccent;
    for (size_t i = 0; i < marks.size(); ++i) {
        if (i > 0 && collator.compare(x + QChar(marks[i - 1]), x + QChar(marks[i])) != 0)
            ++rank;
        if (rank > 250)
            return false;
        m_markRank[marks[i] - kFirstMark] = std::uint8_t(rank);
    }
    return true;
}

void LatinSortKeys::deriveAccentedLetters(const QCollator &collator)
{
    // Letters that decompose into an ASCII letter and one accent, and sort as that.
    std::array<std::vector<char16_t>, 0x80> byBase;
    for (char16_t unit = 0xA0; unit < kTableSize; ++unit) {
        const QString decomposed = text(unit).normalized(QString::NormalizationForm_D);
        if (decomposed.size() != 2)
            continue;
        const char16_t base = decomposed[0].unicode(), mark = decomposed[1].unicode();
        if (base >= 0x80 || m_kind[base] != Kind::Letter || mark < kFirstMark ||
            mark >= kFirstMark + kMarkCount || m_markRank[mark - kFirstMark] == 0)
            continue;
        const QString letter = text(unit), plain = text(base);
        const bool samePrimary = collator.compare(letter + u'a', plain + u'b') < 0 &&
                                 collator.compare(letter + u'b', plain + u'a') > 0;
        const bool accentAbovePlain = collator.compare(plain + u'a', letter + u'a') < 0;
        if (samePrimary && accentAbovePlain)
            byBase[base].push_back(unit);
    }
    for (char16_t base = 0; base < 0x80; ++base) {
        const auto &letters = byBase[base];
        const auto accentOf = [&](char16_t unit) {
            const QString decomposed = text(unit).normalized(QString::NormalizationForm_D);
            return decomposed[1].unicode();
        };
        // The accents of one letter must keep the order they have on "x".
        bool consistent = true;
        for (size_t i = 0; i < letters.size() && consistent; ++i) {
            for (size_t j = i + 1; j < letters.size() && consistent; ++j) {
                const int byRank = int(m_markRank[accentOf(letters[i]) - kFirstMark]) -
                                   int(m_markRank[accentOf(letters[j]) - kFirstMark]);
                consistent =
                    sign(collator.compare(text(letters[i]), text(letters[j]))) == sign(byRank);
            }
        }
        if (!consistent)
            continue;
        for (char16_t unit : letters) {
            const char16_t mark = accentOf(unit);
            m_kind[unit] = Kind::Letter;
            m_primary[unit] = m_primary[base];
            m_accent[unit] = m_markRank[mark - kFirstMark];
            m_markAfter[base].set(mark - kFirstMark);
        }
    }
}

bool LatinSortKeys::appendKey(QStringView name, std::vector<std::uint8_t> &out) const
{
    if (name.size() > kLongestName)
        return false;
    std::array<std::uint8_t, 2 * kLongestName> accents;
    size_t accentCount = 0;
    const size_t start = out.size();
    char16_t previousPlain = 0xFFFF; // the plain ASCII letter just before, if any
    for (QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit < kTableSize && m_kind[unit] != Kind::Unsupported) {
            if (m_kind[unit] == Kind::Ignorable) {
                previousPlain = 0xFFFF;
                continue;
            }
            out.push_back(m_primary[unit]);
            accents[accentCount++] = kNoAccent;
            if (m_accent[unit]) {
                accents[accentCount++] = m_accent[unit];
                previousPlain = 0xFFFF;
            } else {
                previousPlain = unit < 0x80 ? unit : 0xFFFF;
            }
            continue;
        }
        // An accent written after its letter: only one, and only where that letter and
        // accent were checked to sort as the precomposed letter does.
        if (unit >= kFirstMark && unit < kFirstMark + kMarkCount && previousPlain < 0x80 &&
            m_markAfter[previousPlain].test(unit - kFirstMark)) {
            accents[accentCount++] = m_markRank[unit - kFirstMark];
            previousPlain = 0xFFFF;
            continue;
        }
        out.resize(start);
        return false;
    }
    out.push_back(kLevelSeparator);
    out.insert(out.end(), accents.begin(), accents.begin() + qsizetype(accentCount));
    return true;
}

bool LatinSortKeys::agreesWithCollator(const QCollator &collator) const
{
    // Every letter the table covers, one per key (case and the accent's two spellings
    // give the same key).
    QStringList letters;
    std::vector<std::vector<std::uint8_t>> seen;
    for (char16_t unit = 0; unit < kTableSize; ++unit) {
        std::vector<std::uint8_t> key;
        if (m_kind[unit] != Kind::Letter || !appendKey(text(unit), key))
            continue;
        if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
            seen.push_back(std::move(key));
            letters.append(text(unit));
        }
    }
    const auto check = [&](const QStringList &names) {
        std::vector<std::vector<std::uint8_t>> keys(names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!appendKey(names[i], keys[i]))
                return false;
        }
        std::vector<int> order(names.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return compareKeys(keys[a], keys[b]) < 0; });
        // In key order, the collator must see each name after or equal to the one before,
        // and equal exactly where the keys are.
        for (size_t i = 1; i < order.size(); ++i) {
            const int byKey = compareKeys(keys[order[i - 1]], keys[order[i]]);
            const int byCollator = collator.compare(names[order[i - 1]], names[order[i]]);
            if ((byKey == 0) != (byCollator == 0) || byCollator > 0)
                return false;
        }
        return true;
    };

    // Every two letters: a contraction (Czech "ch", Danish "aa", Croatian "dž") sorts
    // apart from its neighbours.
    QStringList pairs;
    for (const QString &first : std::as_const(letters)) {
        for (const QString &second : std::as_const(letters))
            pairs.append(first + second);
    }
    if (!check(pairs))
        return false;

    // Longer names, many alike but for accents, case, blanks and punctuation, where
    // rules on accents show (Canadian French compares them from the end).
    QStringList pieces = letters;
    for (char16_t base = 0; base < 0x80; ++base) {
        for (char16_t m = 0; m < kMarkCount; ++m) {
            if (m_markAfter[base].test(m))
                pieces.append(text(base) + QChar(char16_t(kFirstMark + m)));
        }
    }
    pieces.append(text(0x01));
    const QStringList near = {u"e"_qs, u"E"_qs, u"é"_qs, u"è"_qs, u"É"_qs,     u"e\u0301"_qs,
                              u"a"_qs, u"c"_qs, u"ç"_qs, u"h"_qs, u"o"_qs,     u"ô"_qs,
                              u" "_qs, u"-"_qs, u"'"_qs, u"1"_qs, u"\u0001"_qs};
    QRandomGenerator random(0x5eed);
    QStringList names;
    for (int n = 0; n < 3000; ++n) {
        const QStringList &from = n % 2 ? pieces : near;
        QString name;
        for (int i = 0, length = random.bounded(1, 9); i < length; ++i)
            name += from[random.bounded(from.size())];
        names.append(name);
    }
    return check(names);
}

} // namespace search
