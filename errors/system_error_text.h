#pragma once

#include <QString>

namespace errors {

// The cause of a failed system call as a short French phrase, without a capital or a final
// full stop, for the messages that name it ("le disque est plein"). Causes without a text
// of their own get the system's text.
QString systemErrorText(int error);

// Why a program file at path is refused when a symbolic link in its place belongs to
// another account (platform/trusted_links.h): a sentence of its own, to follow the
// message that says what could not be done.
QString untrustedLinkText(const QString &path);

} // namespace errors
