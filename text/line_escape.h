#pragma once

#include <QString>
#include <QStringView>

// A text written as one line of a text file (a history entry, a section, key or value of
// an INI file, a log entry) must stay on its line whatever it holds: Linux allows line
// feeds, carriage returns and tabs in folder names. Each such character is written as its
// visible Unicode control picture:
//
//   line feed U+240A "␊"   carriage return U+240D "␍"   tab U+2409 "␉"   NUL U+2400 "␀"
//
// A picture reads back as the picture: the line stays readable in a text editor and never
// becomes a new line, section or key. A lone UTF-16 surrogate from U+DC80 to U+DCFF (a
// byte of a file name that is not UTF-8) is written "\uDCxx" and reads back as itself;
// any other lone surrogate is written U+FFFD. Every other text is written as it stands,
// backslashes included, and reads back byte for byte.
namespace text {

enum class EscapeRole {
    Line,     // a history entry, an INI key or section name
    IniValue, // also between double quotes when a reader would lose or strip something
};

QString escapeLine(QStringView text, EscapeRole role = EscapeRole::Line);
QString unescapeLine(QStringView text);

// The text an INI value stands for, given with the blanks around it trimmed: a pair of
// double or single quotes around it removed (as people write values by hand), then
// unescaped.
QString iniValueText(QStringView trimmedValue);

} // namespace text
