#pragma once

#include "platform/folder_move.h"

#include <QByteArray>
#include <QString>

// Files and folders of the move tests, made through native names so that names that are
// not UTF-8 keep their bytes.

// The two patient folders of the nesting tests: the first is nested into the second.
inline const QString kPatient = QStringLiteral("DUPONT Marie");
inline const QString kOther = QStringLiteral("DUPONT Marie 2019");

// A move's outcome, reason, errno and entry, for a failure message.
QString outcomeText(const platform::MoveResult &result);

// size bytes of a pattern that starts at seed, so that a torn or shifted copy shows.
QByteArray patternBytes(char seed, int size);

// Writes a file with content, the permissions mode and the modification time modified
// (seconds, with a fraction of a second that a copy must keep too).
bool writeNativeFile(const QString &path, const QByteArray &content, unsigned mode = 0644,
                     qint64 modified = 1600000000);

bool setNativeTime(const QString &path, qint64 modified);

// A patient folder as a practice has them: a report, a sub-folder of pictures (one picture
// of pictureBytes), an empty folder, a link, and permissions and times of their own.
bool fillPatientFolder(const QString &folder, int pictureBytes = 300 * 1024);
