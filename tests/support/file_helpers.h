#pragma once

#include "errors/user_error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Small helpers of the tests that look at files byte for byte. A path is given either as
// text, encoded the way the program encodes its paths (platform::encodePath), or as the
// file system's own bytes, for names that are not UTF-8.

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readFileBytes(const QString &path);
QByteArray readFileBytes(const QByteArray &nativePath);
// Replaces the file's content with data, plainly (not the way under test).
bool writeFileBytes(const QString &path, const QByteArray &data);

// Whether anything stands at the path: a file, a folder, or a link, a dangling one too.
bool entryExists(const QString &path);
bool entryExists(const QByteArray &nativePath);

// The names directly inside a folder, hidden ones too, "." and ".." left out, sorted by
// their bytes; empty when the folder cannot be read.
QStringList entriesOf(const QString &folder);
QList<QByteArray> entriesOf(const QByteArray &nativeFolder);

// The message of the palvoric::UserError operation raised, or "" when it raised none.
template<typename F> QString userErrorOf(F &&operation)
{
    try {
        operation();
    } catch (const palvoric::UserError &error) {
        return error.message();
    }
    return QString();
}
