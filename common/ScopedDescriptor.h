#pragma once
// A POSIX file descriptor closed when it goes out of scope (non-Windows builds).

#ifndef _WIN32
#include <unistd.h>

#include <utility>

namespace vantrel {

class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int fd) : m_fd(fd) {}
    ~ScopedDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

}  // namespace vantrel
#endif
