#pragma once

#include <QByteArray>

#include <optional>

// Another account that may write the shared program folder could put a symbolic link in
// place of one of the program's files, so that the user's next write lands in one of the
// user's own files (a shell start-up file, say). A link is followed only when it belongs
// to the user running the program or to root, as the kernel's protected_symlinks rule
// does in sticky folders, for reads and writes alike.
namespace platform {

// The path the program reads or replaces for path: path itself, or where the links at
// path lead, each of them trusted. A dangling link gives path itself (a write replaces
// the link). Nothing, with *error set, when a link on the way belongs to another account
// (EACCES) or the links go on too long (ELOOP).
std::optional<QByteArray> resolveTrustedLinks(const QByteArray &path, int *error);

} // namespace platform
