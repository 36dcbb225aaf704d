#pragma once

#include <QString>

// Sending the folder of a line to the desktop trash, from which the user can restore it.
// Where no trash can take the folder, nothing is deleted: the folder stays where it is and
// the result says why.
namespace folderops {

struct RecycleResult
{
    enum class Outcome {
        Recycled, // in the trash
        Missing,  // nothing at the path any more: nothing was done
        Refused,  // the trash could not take it: the folder is untouched
    };

    Outcome outcome = Outcome::Refused;
    QString reason; // when refused: the cause as a short French phrase
};

RecycleResult recycleFolder(const QString &path);

// The French message the window shows for a folder that was not recycled, naming it;
// empty once it is in the trash.
QString recycleFailureMessage(const RecycleResult &result, const QString &folderName);

} // namespace folderops
