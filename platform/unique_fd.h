#pragma once

#include <cerrno>
#include <unistd.h>

namespace platform {

// A file descriptor that is closed once, whatever path leaves the scope.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now; 0, or the error close reported (a network file system reports a failed
    // write only there).
    int close()
    {
        if (m_fd < 0)
            return 0;
        const int result = ::close(release());
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

} // namespace platform
