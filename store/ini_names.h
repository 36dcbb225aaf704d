#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How an INI file's lines are read and written, shared by IniDocument and by the quick
// append of a log entry, which must agree with it to the byte.
namespace store {

bool isIniBlank(QChar c);
// Spaces and tabs trimmed from both ends.
QStringView trimmedIniBlanks(QStringView text);
bool isBlankIniLine(QStringView text);

// The name of a header line, untrimmed of nothing but blanks and not unescaped, or
// nothing when the line is no header: its first character other than a blank is "[" and
// a "]" follows; the name lies between the "[" and the last "]".
std::optional<QStringView> iniHeaderName(QStringView line);

// A name holding a line break is stored with the break's picture: a wanted name is
// looked for in the form it is written and read back in.
QString storedIniName(QStringView wanted);
// Whether a name as it stands in the file (raw) names `stored` (from storedIniName),
// letter case ignored.
bool sameIniName(QStringView raw, QStringView stored);

// The name with letter case folded as sameIniName ignores it, one character at a time:
// two unescaped names are the same name exactly when their folded forms are equal.
QString foldedIniName(QStringView unescaped);

// The lines setValue writes.
QString iniHeaderLine(const QString &section);
QString iniKeyLine(const QString &key, const QString &value);

// What a write does when the section holds the key already.
enum class IniKeyRule {
    ReplaceValue, // the first such key gets the new value (settings, the folder log)
    AddLine,      // the entry gets a line of its own all the same (the journal)
};

} // namespace store
