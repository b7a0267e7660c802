#pragma once
// CLock: a scoped lock on a critical section. On Windows the critical section is
// the system's own; elsewhere a mutex stands in for it.

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace vantrel {

#ifdef _WIN32
using CriticalSection = CRITICAL_SECTION;
inline void InitCriticalSection(CriticalSection* cs) { InitializeCriticalSection(cs); }
inline void DeleteCriticalSectionOf(CriticalSection* cs) { DeleteCriticalSection(cs); }
inline void EnterCriticalSectionOf(CriticalSection* cs) { EnterCriticalSection(cs); }
inline void LeaveCriticalSectionOf(CriticalSection* cs) { LeaveCriticalSection(cs); }
#else
struct CriticalSection {
    std::mutex mutex;
};
inline void InitCriticalSection(CriticalSection*) {}
inline void DeleteCriticalSectionOf(CriticalSection*) {}
inline void EnterCriticalSectionOf(CriticalSection* cs) { cs->mutex.lock(); }
inline void LeaveCriticalSectionOf(CriticalSection* cs) { cs->mutex.unlock(); }
#endif

}  // namespace vantrel

class CLock {
public:
    explicit CLock(vantrel::CriticalSection* cs) : m_cs(cs) {
        vantrel::EnterCriticalSectionOf(m_cs);
    }
    virtual ~CLock() { vantrel::LeaveCriticalSectionOf(m_cs); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    vantrel::CriticalSection* m_cs;
};
