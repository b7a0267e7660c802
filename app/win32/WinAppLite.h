#pragma once
// CWinAppLite: the application object. Exactly one exists (a global of the derived
// class); the program's entry point runs its InitInstance and, when that returns
// TRUE, a message loop.

#include <windows.h>

class CDialogLite;

class CWinAppLite {
public:
    CWinAppLite();
    virtual ~CWinAppLite();
    CWinAppLite(const CWinAppLite&) = delete;
    CWinAppLite& operator=(const CWinAppLite&) = delete;

    // The application's set-up; FALSE ends the application without a message loop.
    virtual BOOL InitInstance();
    // The exit code of the process.
    virtual int ExitInstance();
    // The message loop, for applications whose InitInstance returns TRUE.
    int Run();

    static CWinAppLite* Current();

    // Restart-manager support asked for by the derived class (kRestart...).
    static constexpr DWORD kRestartManagerRestart = 0x01;
    DWORD m_dwRestartManagerSupportFlags = 0;

    HINSTANCE m_hInstance = nullptr;
    CDialogLite* m_pMainWnd = nullptr;
};
