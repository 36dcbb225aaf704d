#pragma once

#include <functional>
#include <optional>

// Runs check with the rights of an ordinary user, so that permission bits hold: root
// reads unreadable folders and writes into read-only ones. Under root the check runs in
// a child process that has become the user "nobody" (uid and gid 65534); otherwise it
// runs here. The result is the check's answer, or nothing when the child could not be
// started or could not drop root's rights. The check must not use QtTest's macros.
std::optional<bool> runUnprivileged(const std::function<bool()> &check);
