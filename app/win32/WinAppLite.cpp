#include "app/win32/WinAppLite.h"

namespace {
CWinAppLite* g_application = nullptr;
}

CWinAppLite::CWinAppLite() { g_application = this; }

CWinAppLite::~CWinAppLite() {
    if (g_application == this) g_application = nullptr;
}

CWinAppLite* CWinAppLite::Current() { return g_application; }

BOOL CWinAppLite::InitInstance() {
    // With restart support, the system may start the tool again after it stopped
    // responding or was closed for an update. The tool reads no command line.
    if (m_dwRestartManagerSupportFlags & kRestartManagerRestart)
        ::RegisterApplicationRestart(nullptr, 0);
    return TRUE;
}

int CWinAppLite::ExitInstance() { return 0; }

int CWinAppLite::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ExitInstance();
    return static_cast<int>(msg.wParam);
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    CWinAppLite* application = CWinAppLite::Current();
    if (!application) return 1;
    application->m_hInstance = hInstance;
    if (!application->InitInstance()) return application->ExitInstance();
    return application->Run();
}
