#include "app/Thread.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#endif

using vantrel::kNoThread;

#ifndef _WIN32
namespace {
// What a thread handle points to on POSIX systems.
struct PosixThread {
    pthread_t thread{};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    CThread* owner = nullptr;
};

void* PosixStart(void* param) {
    auto* record = static_cast<PosixThread*>(param);
    record->owner->Run();
    {
        std::lock_guard<std::mutex> lock(record->mutex);
        record->done = true;
    }
    record->ended.notify_all();
    return nullptr;
}
}  // namespace
#endif

CThread::CThread() : m_hThread(kNoThread) {}

CThread::~CThread() { m_hThread = kNoThread; }

unsigned long CThread::ThreadProc(void* param) {
    static_cast<CThread*>(param)->Run();
    return 1;
}

#ifdef _WIN32
namespace {
DWORD WINAPI WinStart(LPVOID param) { return CThread::ThreadProc(param); }
}  // namespace
#endif

BOOL CThread::StartThread() {
    if (!InitThread()) return FALSE;
#ifdef _WIN32
    HANDLE handle = CreateThread(nullptr, 0, &WinStart, static_cast<CThread*>(this), 0, nullptr);
    m_hThread = handle ? handle : kNoThread;
#else
    auto* record = new PosixThread;
    record->owner = this;
    if (pthread_create(&record->thread, nullptr, &PosixStart, record) != 0) {
        delete record;
        m_hThread = kNoThread;
    } else {
        m_hThread = record;
    }
#endif
    return TRUE;
}

bool CThread::WaitForThread(uint32_t milliseconds) {
    if (m_hThread == kNoThread) return false;
#ifdef _WIN32
    if (WaitForSingleObject(static_cast<HANDLE>(m_hThread), milliseconds) != WAIT_OBJECT_0)
        return false;
    CloseHandle(static_cast<HANDLE>(m_hThread));
#else
    auto* record = static_cast<PosixThread*>(m_hThread);
    {
        std::unique_lock<std::mutex> lock(record->mutex);
        if (!record->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                    [&] { return record->done; }))
            return false;
    }
    pthread_join(record->thread, nullptr);
    delete record;
#endif
    m_hThread = kNoThread;
    return true;
}

void CThread::Wait() {
    if (m_hThread == kNoThread) return;
#ifdef _WIN32
    WaitForSingleObject(static_cast<HANDLE>(m_hThread), INFINITE);
    m_hThread = kNoThread;
#else
    while (!WaitForThread(1000)) {
    }
#endif
}
