#include "platform/wildcard_matcher.h"

#include <QChar>
#include <QString>

#include <array>

namespace platform {

namespace {

constexpr char16_t kAnyRun = u'*';
constexpr char16_t kAnyUnit = u'?';

char16_t fold(char16_t unit)
{
    return QChar::toCaseFolded(unit);
}

const std::array<unsigned char, 256> &asciiFoldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = b < 0x80 ? static_cast<unsigned char>(fold(char16_t(b))) : b;
        return t;
    }();
    return table;
}

// ASCII characters that some other code unit folds to (k from the Kelvin sign, s from
// the long s): a byte above 0x7F may stand for them.
const std::array<bool, 128> &asciiWithForeignPreimage()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            const char16_t folded = fold(char16_t(c));
            if (folded < 0x80)
                t[folded] = true;
        }
        return t;
    }();
    return table;
}

// The text with its letters' diacritics left out, and œ and æ written out.
QString withoutAccents(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        switch (c.unicode()) {
        case u'œ':
            stripped += QStringLiteral("oe");
            break;
        case u'Œ':
            stripped += QStringLiteral("OE");
            break;
        case u'æ':
            stripped += QStringLiteral("ae");
            break;
        case u'Æ':
            stripped += QStringLiteral("AE");
            break;
        default:
            stripped += c;
        }
    }
    return stripped;
}

} // namespace

WildcardMatcher::WildcardMatcher(QStringView pattern, Accents accents) : m_accents(accents)
{
    QString stripped;
    if (accents == Accents::Ignored) {
        stripped = withoutAccents(pattern);
        pattern = stripped;
    }
    m_pattern.reserve(pattern.size());
    bool onlyStars = true;
    bool opaque = true;
    for (QChar c : pattern) {
        const char16_t unit = c.unicode();
        if (unit == kAnyRun) {
            if (m_pattern.empty() || m_pattern.back() != kAnyRun)
                m_pattern.push_back(kAnyRun);
            continue;
        }
        onlyStars = false;
        const char16_t folded = unit == kAnyUnit ? kAnyUnit : fold(unit);
        if (folded == kAnyUnit || folded >= 0x80 || asciiWithForeignPreimage()[folded])
            opaque = false;
        m_pattern.push_back(folded);
    }
    m_matchesEverything = onlyStars && !m_pattern.empty();
    // Without accents, a byte above 0x7F may be an accented letter that the pattern's
    // plain one matches.
    m_nonAsciiIsOpaque = opaque && accents == Accents::Kept;
}

// Both matchers are the classic iterative wildcard walk: on a mismatch, go back to the
// last star and let it swallow one more unit.
bool WildcardMatcher::matches(QStringView name) const
{
    if (m_matchesEverything)
        return true;
    QString stripped;
    if (m_accents == Accents::Ignored) {
        stripped = withoutAccents(name);
        name = stripped;
    }
    const qsizetype n = name.size();
    const qsizetype m = qsizetype(m_pattern.size());
    qsizetype p = 0, s = 0, starP = -1, starS = 0;
    while (s < n) {
        if (p < m && m_pattern[p] == kAnyRun) {
            if (p == m - 1)
                return true;
            starP = p++;
            starS = s;
            continue;
        }
        if (p < m && (m_pattern[p] == kAnyUnit || m_pattern[p] == fold(name[s].unicode()))) {
            ++p;
            ++s;
            continue;
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        s = ++starS;
    }
    while (p < m && m_pattern[p] == kAnyRun)
        ++p;
    return p == m;
}

WildcardMatcher::ByteAnswer WildcardMatcher::matchesBytes(QByteArrayView name) const
{
    if (m_matchesEverything)
        return ByteAnswer::Match;
    const auto &lower = asciiFoldTable();
    const auto *bytes = reinterpret_cast<const unsigned char *>(name.data());
    const qsizetype n = name.size();
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
        if (p < m && byte < 0x80 && (m_pattern[p] == kAnyUnit || m_pattern[p] == lower[byte])) {
            ++p;
            ++s;
            continue;
        }
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
