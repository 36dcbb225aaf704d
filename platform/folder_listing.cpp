#include "platform/folder_listing.h"

#include "platform/dos_attributes.h"
#include "platform/native_names.h"
#include "platform/wildcard_matcher.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// One read takes a few hundred entries: the cost of a large folder is then the kernel's
// own work, not the number of system calls.
constexpr size_t kBufferSize = 64 * 1024;

class FolderHandle
{
public:
    explicit FolderHandle(const QByteArray &path)
        : m_fd(path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {}
    ~FolderHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool isHiddenOrSelf(const char *name)
{
    return name[0] == '.'; // also "." and ".."
}

} // namespace

QStringList listFolder(const QString &folder, const WildcardMatcher &matcher,
                       const std::atomic<bool> *cancelled)
{
    QStringList names;
    const FolderHandle handle(encodePath(folder));
    if (handle.fd() < 0)
        return names;
    // Only matching names are asked: a search pays for what it finds, not for the folder.
    DosAttributeReader dosAttributes(handle.fd());

    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return {};
        const ssize_t filled = ::getdents64(handle.fd(), buffer.get(), kBufferSize);
        if (filled < 0 && errno == EINTR)
            continue;
        if (filled <= 0)
            break; // the end, or an error: keep what came so far
        for (ssize_t offset = 0; offset < filled;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.get() + offset);
            offset += entry->d_reclen;
            const char *name = entry->d_name;
            if (isHiddenOrSelf(name))
                continue;
            const size_t maxLength = entry->d_reclen - offsetof(dirent64, d_name);
            const QByteArrayView bytes(name, qsizetype(::strnlen(name, maxLength)));
            switch (matcher.matchesBytes(bytes)) {
            case WildcardMatcher::ByteAnswer::NoMatch:
                break;
            case WildcardMatcher::ByteAnswer::Match:
                if (!dosAttributes.isHiddenOrSystem(name, entry->d_type))
                    names.append(decodeFileName(bytes));
                break;
            case WildcardMatcher::ByteAnswer::Undecided: {
                QString decoded = decodeFileName(bytes);
                if (matcher.matches(decoded) &&
                    !dosAttributes.isHiddenOrSystem(name, entry->d_type))
                    names.append(std::move(decoded));
                break;
            }
            }
        }
    }
    return names;
}

QStringList listFolder(const QString &folder, QStringView pattern)
{
    return listFolder(folder, WildcardMatcher(pattern));
}

} // namespace platform
