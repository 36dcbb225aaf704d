#include "text/line_escape.h"

namespace text {

namespace {

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A backslash followed by c is read as the start of a sequence.
bool startsSequence(QChar c)
{
    switch (c.unicode()) {
    case u'n':
    case u'r':
    case u'0':
    case u't':
    case u's':
    case u'e':
    case u'[':
    case u'u':
    case u'\\':
        return true;
    default:
        return false;
    }
}

bool isLoneSurrogate(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// The sequence for text[i], or an empty text when it is written as it is.
QString sequenceFor(QStringView text, qsizetype i, EscapeRole role, qsizetype firstKept,
                    qsizetype lastKept)
{
    const QChar c = text[i];
    switch (c.unicode()) {
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    case u'\0':
        return QStringLiteral("\\0");
    default:
        break;
    }
    if (isLoneSurrogate(text, i))
        return QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    if (role == EscapeRole::Line)
        return {};
    if (c == u'\t')
        return QStringLiteral("\\t");
    if (c == u' ' && (i < firstKept || i > lastKept))
        return QStringLiteral("\\s");
    if (role == EscapeRole::IniKey) {
        if (c == u'=')
            return QStringLiteral("\\e");
        if (c == u'[' && i == 0)
            return QStringLiteral("\\[");
    }
    return {};
}

} // namespace

QString escapeLine(QStringView text, EscapeRole role)
{
    // Spaces before firstKept and after lastKept are the ones a reader would trim.
    qsizetype firstKept = 0;
    qsizetype lastKept = text.size() - 1;
    while (firstKept < text.size() && text[firstKept] == u' ')
        ++firstKept;
    while (lastKept >= firstKept && text[lastKept] == u' ')
        --lastKept;

    // What the character after a backslash becomes decides whether the backslash must be
    // doubled: every sequence, and a backslash in either form, starts with a backslash.
    auto writtenStart = [&](qsizetype i) {
        if (i >= text.size())
            return QChar();
        if (text[i] == u'\\' || !sequenceFor(text, i, role, firstKept, lastKept).isEmpty())
            return QChar(u'\\');
        return text[i];
    };

    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString sequence = sequenceFor(text, i, role, firstKept, lastKept);
        if (!sequence.isEmpty())
            out += sequence;
        else if (text[i] == u'\\' && startsSequence(writtenStart(i + 1)))
            out += QStringLiteral("\\\\");
        else
            out += text[i];
    }
    return out;
}

QString unescapeLine(QStringView text)
{
    if (!text.contains(u'\\'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[i + 1];
        switch (next.unicode()) {
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'0':
            out += QChar(u'\0');
            break;
        case u't':
            out += u'\t';
            break;
        case u's':
            out += u' ';
            break;
        case u'e':
            out += u'=';
            break;
        case u'[':
            out += u'[';
            break;
        case u'\\':
            out += u'\\';
            break;
        case u'u':
            if (i + 5 < text.size() && isHex(text[i + 2]) && isHex(text[i + 3]) &&
                isHex(text[i + 4]) && isHex(text[i + 5])) {
                out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
                i += 5;
                continue;
            }
            out += c; // not a sequence: the backslash stands for itself
            continue;
        default:
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

} // namespace text
