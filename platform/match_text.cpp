#include "platform/match_text.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace platform::matchtext {

namespace {

// Below the combining diacritical marks (U+0300) no code unit joins its neighbour: Latin
// letters with their accents precomposed, Latin-1 symbols, spacing modifier letters.
constexpr char16_t kFirstJoiningUnit = 0x0300;

bool eachUnitIsACharacter(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < kFirstJoiningUnit; });
}

QString withoutNonSpacingMarks(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    bool joining = false;
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
            joining = joining || c.unicode() >= kFirstJoiningUnit;
            stripped += c;
        }
    }
    // What decomposed without being an accent (a Hangul syllable, a spacing vowel sign)
    // is put back together, as the pattern's is.
    if (joining)
        return stripped.normalized(QString::NormalizationForm_C);
    return stripped;
}

char32_t foldedCodePoint(QStringView text, qsizetype &i)
{
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
    ++i;
    return QChar::toCaseFolded(c);
}

} // namespace

QString canonical(QStringView text, bool ignoreAccents)
{
    if (ignoreAccents)
        return withoutNonSpacingMarks(text);
    // Qt checks first whether the text is already composed, as nearly every name is.
    return text.toString().normalized(QString::NormalizationForm_C);
}

std::vector<qsizetype> characterEnds(QStringView text)
{
    std::vector<qsizetype> ends;
    if (eachUnitIsACharacter(text))
        return ends;
    ends.reserve(size_t(text.size()));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype begin = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        // An ASCII character always stands alone, as it does in the name's raw bytes: the
        // line end "\r\n" is two, and nothing before a letter (an Arabic number sign) takes
        // it in.
        for (qsizetype i = begin + 1; i < end; ++i) {
            if (text[i].unicode() < 0x80)
                ends.push_back(i);
        }
        ends.push_back(end);
        begin = end;
    }
    if (qsizetype(ends.size()) == text.size())
        ends.clear();
    return ends;
}

bool sameFolded(QStringView folded, QStringView text)
{
    qsizetype i = 0, j = 0;
    while (i < folded.size() && j < text.size()) {
        if (foldedCodePoint(folded, i) != foldedCodePoint(text, j))
            return false;
    }
    return i == folded.size() && j == text.size();
}

} // namespace platform::matchtext
