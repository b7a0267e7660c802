#pragma once
// A Windows handle closed when it goes out of scope (Windows builds only).

#ifdef _WIN32
#include <windows.h>

#include <utility>

namespace vantrel {

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h) : m_h(h) {}
    ~ScopedHandle() {
        if (m_h != INVALID_HANDLE_VALUE) ::CloseHandle(m_h);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return m_h; }
    HANDLE release() { return std::exchange(m_h, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_h;
};

}  // namespace vantrel
#endif
