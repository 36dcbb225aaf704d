#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

#include <sys/types.h>

// The ordinary user the unprivileged checks run as under root: "nobody".
inline constexpr uid_t kNobody = 65534;

// Runs check with the rights of an ordinary user, so that permission bits hold: root
// reads unreadable folders and writes into read-only ones. Under root the check runs in
// a child process that has become the user "nobody" (uid and gid 65534); otherwise it
// runs here. The result is the check's answer, or nothing when the child could not be
// started or could not drop root's rights. The check must not use QtTest's macros.
std::optional<bool> runUnprivileged(const std::function<bool()> &check);

// Gives a tree (links themselves, not what they point to) to kNobody, so that a check run
// by runUnprivileged may change it. Nothing to do when this process is not root: the tree
// is its own already.
bool giveToNobody(const QByteArray &nativePath);
