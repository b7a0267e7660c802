#include "app/VantrelCore.h"

using namespace vantrel;

CVantrelCore::CVantrelCore(IView& view, IClock& clock, IHidPlatform& platform)
    : m_hidDevice(platform), m_view(view), m_clock(clock), m_platform(platform) {
    InitCriticalSection(&m_csFilePath);
    InitCriticalSection(&m_csJobQueue);
}

CVantrelCore::~CVantrelCore() {
    // The worker must never outlive the members it uses. Front ends stop it before
    // their own members go; this is the last safety net: every job wait is bounded,
    // so the worker reaches the Quit in finite time.
    if (m_hThread != kNoThread) {
        PostJob(Quit);
        Wait();
    }
    DeleteCriticalSectionOf(&m_csJobQueue);
    DeleteCriticalSectionOf(&m_csFilePath);
}

void CVantrelCore::ResetStartupState() {
    m_bConfigIdle = TRUE;
    m_bUpgradeBusy = FALSE;
    m_bBootMode = FALSE;
    m_nCommandFamily = 2;
    SetFilePath(std::wstring());
    m_nVid = 0x0416;
    m_nPid = 0x5020;
    m_nAppVersion = 0x0100;
    m_nBootVersion = 0x8888;
}

void CVantrelCore::DetectWriterAtStartup() {
    DetectWriter();
    if (m_bWriterConnected) {
        std::lock_guard<std::mutex> gate(m_linkGate);
        m_hidDevice.Close();
    }
}

BOOL CVantrelCore::StartWorker() {
    {
        CLock lock(&m_csJobQueue);
        m_jobQueue.clear();
    }
    BOOL started = StartThread();
    m_nProgramMode = 1;
    return started;
}

bool CVantrelCore::StopWorker(uint32_t waitMs) {
    PostJob(Quit);
    if (m_hThread == kNoThread) return true;
    return WaitForThread(waitMs);
}
