#pragma once

#include <QString>

namespace store {

// What a message about one of the program's files says after its first sentence: the
// system's text for the failure, or, when another account's link stands in the file's
// place (platform::kUntrustedLinkError), a sentence that says so.
QString fileErrorCause(const QString &path, int error, const QString &systemText);

} // namespace store
