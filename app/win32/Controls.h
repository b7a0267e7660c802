#pragma once
// Thin wrappers around the windows of a dialog: a window handle with the few
// operations the dialogs use, and the controls bound to dialog members.

#include <windows.h>

class CWndLite {
public:
    CWndLite() = default;
    virtual ~CWndLite() = default;
    CWndLite(const CWndLite&) = delete;
    CWndLite& operator=(const CWndLite&) = delete;

    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }

    void SetWindowText(const wchar_t* text) const;
    void EnableWindow(BOOL enable) const;

    HWND m_hWnd = nullptr;
};

class CStaticLite : public CWndLite {};

class CButtonLite : public CWndLite {
public:
    void SetCheck(int state) const;
    int GetCheck() const;
};

// A progress bar; its range stays the default 0 to 100.
class CProgressCtrlLite : public CWndLite {
public:
    // Sends PBM_SETPOS; any thread may call it (the message is sent to the owner).
    void SetPos(int position) const;
    int GetPos() const;
};

// A tooltip control with one tool per control window.
class CToolTipLite : public CWndLite {
public:
    ~CToolTipLite() override;
    // Creates the tooltip window owned by `owner` (destroyed with it).
    BOOL Create(HWND owner);
    // Adds a tool for the control `tool` of `owner`'s client area. The tooltip
    // subclasses the control and relays its mouse messages to itself, so the hint
    // shows while the pointer rests on the control.
    BOOL AddTool(HWND owner, HWND tool, const wchar_t* text) const;
    void SetDelayTime(DWORD duration, int milliseconds) const;
    void Activate(BOOL active) const;
};
