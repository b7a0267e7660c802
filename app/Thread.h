#pragma once
// CThread: the base class of an object that owns one thread. The derived class
// supplies InitThread (may the thread start?) and Run (the thread body).

#include <cstdint>

#include "common/WindowSystem.h"

namespace vantrel {
// Handle of a running thread: the system's thread handle on Windows, an internal
// record elsewhere. kNoThread means there is no thread.
using ThreadHandle = void*;
inline ThreadHandle const kNoThread = reinterpret_cast<ThreadHandle>(static_cast<intptr_t>(-1));
}  // namespace vantrel

class CThread {
public:
    CThread();
    // Waits without a time limit until the thread has ended, then forgets it.
    virtual void Wait();
    virtual BOOL InitThread() = 0;
    virtual void Run() = 0;
    // Neither waits for the thread nor closes its handle.
    virtual ~CThread();

    // Asks InitThread and, when it agrees, starts the thread at once.
    BOOL StartThread();
    // Waits at most `milliseconds` for the thread to end. true when it has ended;
    // the handle is then released and m_hThread is kNoThread again.
    bool WaitForThread(uint32_t milliseconds);

    vantrel::ThreadHandle m_hThread;

    // The start routine: calls Run on the object and returns 1.
    static unsigned long ThreadProc(void* param);
};
