#include "platform/wildcard_matcher.h"

#include "platform/match_text.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <array>

namespace platform {

namespace {

constexpr char16_t kAnyRun = u'*';
constexpr char16_t kAnyCharacter = u'?';

// In UTF-8, every code point that can join the character before it (combining marks,
// joiners, variation selectors, from U+0300 on) starts with a byte of at least 0xCC.
constexpr unsigned char kFirstJoiningLeadByte = 0xCC;

const std::array<unsigned char, 256> &asciiFoldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = b < 0x80 ? static_cast<unsigned char>(QChar::toCaseFolded(char16_t(b))) : b;
        return t;
    }();
    return table;
}

// ASCII characters that another code unit folds or composes to (k from the Kelvin sign,
// s from the long s, ";" from the Greek question mark): a byte above 0x7F may stand for
// them.
const std::array<bool, 128> &asciiWithForeignPreimage()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            char32_t image = QChar::toCaseFolded(c);
            if (QChar::decompositionTag(c) == QChar::Canonical) {
                const QString decomposition = QChar::decomposition(c);
                if (decomposition.size() == 1)
                    image = QChar::toCaseFolded(decomposition[0].unicode());
            }
            if (image < 0x80)
                t[image] = true;
        }
        return t;
    }();
    return table;
}

// What each two-byte UTF-8 character (U+0080 to U+07FF) becomes once its accents are
// left out and its case folded, when that is plain ASCII: "é" and "É" give "e", "œ" gives
// "oe", a combining accent gives nothing. Other characters are not in the table.
struct AsciiWithoutAccents
{
    bool known = false;
    char length = 0;
    std::array<char, 2> text{};
};

const std::array<AsciiWithoutAccents, 0x800> &twoByteCharactersWithoutAccents()
{
    static const std::array<AsciiWithoutAccents, 0x800> table = [] {
        std::array<AsciiWithoutAccents, 0x800> t{};
        for (char16_t c = 0x80; c < 0x800; ++c) {
            const QString plain = matchtext::canonical(QStringView(&c, 1), true).toCaseFolded();
            if (plain.size() > 2 || std::any_of(plain.begin(), plain.end(),
                                                [](QChar u) { return u.unicode() >= 0x80; }))
                continue;
            t[c].known = true;
            t[c].length = char(plain.size());
            for (qsizetype i = 0; i < plain.size(); ++i)
                t[c].text[size_t(i)] = char(plain[i].unicode());
        }
        return t;
    }();
    return table;
}

} // namespace

WildcardMatcher::WildcardMatcher(QStringView pattern, Accents accents) : m_accents(accents)
{
    const QString text = matchtext::canonical(pattern, accents == Accents::Ignored).toCaseFolded();
    m_pattern.reserve(size_t(text.size()));
    bool opaque = accents == Accents::Kept;
    const auto addStep = [this](Step::Kind kind, QStringView units) {
        m_steps.push_back({kind, std::uint32_t(m_pattern.size()), std::uint32_t(units.size())});
        m_pattern.append(units.utf16(), size_t(units.size()));
    };
    for (qsizetype i = 0; i < text.size();) {
        const char16_t unit = text[i].unicode();
        if (unit == kAnyRun) {
            if (m_steps.empty() || m_steps.back().kind != Step::Kind::AnyRun)
                addStep(Step::Kind::AnyRun, QStringView(&unit, 1));
            ++i;
            continue;
        }
        if (unit == kAnyCharacter) {
            addStep(Step::Kind::AnyCharacter, QStringView(&unit, 1));
            opaque = false;
            ++i;
            continue;
        }
        // A run of literal characters, cut where the user sees one character end.
        qsizetype runEnd = i;
        while (runEnd < text.size() && text[runEnd] != kAnyRun && text[runEnd] != kAnyCharacter)
            ++runEnd;
        const QStringView run = QStringView(text).mid(i, runEnd - i);
        const std::vector<qsizetype> ends = matchtext::characterEnds(run);
        for (qsizetype begin = 0, k = 0; begin < run.size(); ++k) {
            const qsizetype end = ends.empty() ? begin + 1 : ends[size_t(k)];
            addStep(Step::Kind::Literal, run.mid(begin, end - begin));
            begin = end;
        }
        for (const QChar c : run) {
            if (c.unicode() >= 0x80 || asciiWithForeignPreimage()[c.unicode()])
                opaque = false;
        }
        i = runEnd;
    }
    m_matchesEverything = m_steps.size() == 1 && m_steps[0].kind == Step::Kind::AnyRun;
    m_nonAsciiIsOpaque = opaque;
}

// The classic iterative wildcard walk: on a mismatch, go back to the last star and let
// it swallow one more character.
template<typename SameCharacter>
bool WildcardMatcher::walk(qsizetype nameLength, SameCharacter same) const
{
    const qsizetype m = qsizetype(m_steps.size());
    qsizetype p = 0, s = 0, starP = -1, starS = 0;
    while (s < nameLength) {
        if (p < m && m_steps[size_t(p)].kind == Step::Kind::AnyRun) {
            if (p == m - 1)
                return true;
            starP = p++;
            starS = s;
            continue;
        }
        if (p < m &&
            (m_steps[size_t(p)].kind == Step::Kind::AnyCharacter || same(m_steps[size_t(p)], s))) {
            ++p;
            ++s;
            continue;
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        s = ++starS;
    }
    while (p < m && m_steps[size_t(p)].kind == Step::Kind::AnyRun)
        ++p;
    return p == m;
}

bool WildcardMatcher::matches(QStringView name) const
{
    if (m_matchesEverything)
        return true;
    const QString text = matchtext::canonical(name, m_accents == Accents::Ignored);
    const std::vector<qsizetype> ends = matchtext::characterEnds(text);
    if (ends.empty()) {
        // Each unit is a character: a literal of several units never meets one.
        return walk(text.size(), [&](const Step &step, qsizetype s) {
            return step.length == 1 &&
                   m_pattern[step.begin] == QChar::toCaseFolded(text[s].unicode());
        });
    }
    return walk(qsizetype(ends.size()), [&](const Step &step, qsizetype s) {
        const qsizetype begin = s == 0 ? 0 : ends[size_t(s - 1)];
        return matchtext::sameFolded(QStringView(m_pattern.data() + step.begin, step.length),
                                     QStringView(text).mid(begin, ends[size_t(s)] - begin));
    });
}

WildcardMatcher::ByteAnswer WildcardMatcher::matchesBytes(QByteArrayView name) const
{
    if (m_matchesEverything)
        return ByteAnswer::Match;
    const ByteAnswer answer =
        walkBytes(reinterpret_cast<const unsigned char *>(name.data()), name.size());
    if (answer == ByteAnswer::Undecided && m_accents == Accents::Ignored)
        return walkLatinWithoutAccents(name);
    return answer;
}

// Without accents, most names that are not ASCII are Latin letters with accents, whose
// plain letters the bytes give at once: decoding the name would cost more than the match.
WildcardMatcher::ByteAnswer WildcardMatcher::walkLatinWithoutAccents(QByteArrayView name) const
{
    constexpr qsizetype kLongestName = 255; // what Linux file systems allow
    if (name.size() > kLongestName)
        return ByteAnswer::Undecided;
    // At most one letter from each byte: "œ" is two bytes and gives two letters.
    std::array<unsigned char, kLongestName> plain;
    qsizetype length = 0;
    const auto &table = twoByteCharactersWithoutAccents();
    const auto *bytes = reinterpret_cast<const unsigned char *>(name.data());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const unsigned char byte = bytes[i];
        if (byte < 0x80) {
            plain[size_t(length++)] = byte;
            continue;
        }
        const bool twoBytes =
            byte >= 0xC2 && byte < 0xE0 && i + 1 < name.size() && (bytes[i + 1] & 0xC0) == 0x80;
        if (!twoBytes)
            return ByteAnswer::Undecided;
        const AsciiWithoutAccents &letters = table[((byte & 0x1F) << 6) | (bytes[++i] & 0x3F)];
        if (!letters.known)
            return ByteAnswer::Undecided;
        for (char k = 0; k < letters.length; ++k)
            plain[size_t(length++)] = static_cast<unsigned char>(letters.text[size_t(k)]);
    }
    return walkBytes(plain.data(), length);
}

WildcardMatcher::ByteAnswer WildcardMatcher::walkBytes(const unsigned char *bytes,
                                                       qsizetype n) const
{
    const auto &lower = asciiFoldTable();
    const qsizetype m = qsizetype(m_pattern.size());
    qsizetype p = 0, s = 0, starP = -1, starS = 0;
    while (s < n) {
        if (p < m && m_pattern[p] == kAnyRun) {
            if (p == m - 1)
                return ByteAnswer::Match;
            starP = p++;
            starS = s;
            continue;
        }
        const unsigned char byte = bytes[s];
        // An opaque byte only meets a pattern unit that cannot be it: a mismatch.
        if (byte >= 0x80 && !m_nonAsciiIsOpaque)
            return ByteAnswer::Undecided;
        if (p < m && byte < 0x80 &&
            (m_pattern[p] == kAnyCharacter || m_pattern[p] == lower[byte])) {
            // A combining mark after the byte would make it another character.
            if (s + 1 < n && bytes[s + 1] >= kFirstJoiningLeadByte)
                return ByteAnswer::Undecided;
            ++p;
            ++s;
            continue;
        }
        // Even a mismatch may be a match once the mark is composed with the byte.
        if (!m_nonAsciiIsOpaque && s + 1 < n && bytes[s + 1] >= kFirstJoiningLeadByte)
            return ByteAnswer::Undecided;
        if (starP < 0)
            return ByteAnswer::NoMatch;
        p = starP + 1;
        s = ++starS;
    }
    while (p < m && m_pattern[p] == kAnyRun)
        ++p;
    return p == m ? ByteAnswer::Match : ByteAnswer::NoMatch;
}

} // namespace platform
