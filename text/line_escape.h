#pragma once

#include <QString>
#include <QStringView>

// A text written as one line of a text file (a history entry, a name or value of an INI
// file) must stay on its line whatever it holds: Linux allows line feeds and carriage
// returns in folder names. Such characters are written as backslash sequences:
//
//   \n line feed   \r carriage return   \0 NUL   \t tab   \s space   \e "="
//   \[ "["         \uXXXX a lone UTF-16 surrogate (an undecodable byte of a file name)
//   \\ a backslash that would otherwise start one of these sequences
//
// Every other backslash is written as it is, so a name Windows accepts is written
// unchanged (Windows forbids all of these characters in names), and a text written by
// hand without such sequences reads as it stands. unescapeLine(escapeLine(t)) == t for
// every text.
namespace text {

enum class EscapeRole {
    Line,     // line feed, carriage return, NUL, lone surrogates
    IniValue, // also tabs, and spaces at either end (the reader trims them)
    IniKey,   // as a value, also "=" and a "[" at the start (the line would be a header)
};

QString escapeLine(QStringView text, EscapeRole role = EscapeRole::Line);
QString unescapeLine(QStringView text);

} // namespace text
