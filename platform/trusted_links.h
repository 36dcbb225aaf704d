#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Another account that may write the shared program folder could put a symbolic link in
// place of one of the program's files, so that the user's next write lands in one of the
// user's own files (a shell start-up file, say). A link is followed only when it belongs
// to the user running the program or to root, as the kernel's protected_symlinks rule
// does in sticky folders, for reads and writes alike.
namespace platform {

// The status of a refusal for another account's link. No errno has this value: the
// message can say what is wrong, where EACCES could mean any missing permission.
constexpr int kUntrustedLinkError = 0x10000;

// The path the program reads or replaces for path: path itself, or where the links at
// path lead, each of them trusted. A dangling link gives path itself (a write replaces
// the link). Nothing, with *error set, when a link on the way belongs to another account
// (kUntrustedLinkError) or the links go on too long (ELOOP).
std::optional<QByteArray> resolveTrustedLinks(const QByteArray &path, int *error);

// The system's text for an errno, or for kUntrustedLinkError the text of EACCES, the
// refusal the kernel gives for such a link in a sticky folder.
QString systemErrorString(int error);

} // namespace platform
