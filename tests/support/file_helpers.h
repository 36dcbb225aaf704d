#pragma once

#include "errors/user_error.h"

#include <QByteArray>
#include <QString>

// Small helpers of the tests that look at files byte for byte.

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readFileBytes(const QString &path);
// The same for a path given as its bytes (a name that is not UTF-8), and whether
// anything, a dangling link included, stands at such a path.
QByteArray readNativeBytes(const QByteArray &nativePath);
bool nativePathExists(const QByteArray &nativePath);
// Replaces the file's content with data, plainly (not the way under test).
bool writeFileBytes(const QString &path, const QByteArray &data);

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
