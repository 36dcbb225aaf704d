#include "store/file_error_cause.h"

#include "errors/system_error_text.h"
#include "platform/trusted_links.h"

namespace store {

QString fileErrorCause(const QString &path, int error, const QString &systemText)
{
    return error == platform::kUntrustedLinkError ? errors::untrustedLinkText(path) : systemText;
}

} // namespace store
