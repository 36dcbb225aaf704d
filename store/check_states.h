#pragma once

#include <QList>
#include <QString>

// The check states of the window's options in the settings section "CASES_A_COCHER".
namespace store {

// One checkable component of the window: a check box, or a menu item.
struct CheckState
{
    QString name;
    bool isMenuItem = false;
    bool checked = false;
};

// Writes, in the order given (the order in which the window owns the components), each
// component whose name holds "chk_" anywhere, letters A to Z taken in either case; the
// key is the name as it is.
void SaveCheckStates(const QList<CheckState> &components, const QString &file = QString());

// The new checked state of each component, in the same order: the stored state for the
// components whose name begins with "chk_" (this case), the current one for the others
// and for a missing or non-integer value. The window sets them in this order; setting a
// check box runs its click handler when the state changes, a menu item's runs nothing.
QList<bool> LoadCheckStates(const QList<CheckState> &components, const QString &file = QString());

} // namespace store
