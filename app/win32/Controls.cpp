#include "app/win32/Controls.h"

#include <commctrl.h>

HWND CWndLite::Detach() {
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

void CWndLite::SetWindowText(const wchar_t* text) const { ::SetWindowTextW(m_hWnd, text); }

void CWndLite::EnableWindow(BOOL enable) const { ::EnableWindow(m_hWnd, enable); }

void CButtonLite::SetCheck(int state) const { ::SendMessageW(m_hWnd, BM_SETCHECK, state, 0); }

int CButtonLite::GetCheck() const {
    return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CProgressCtrlLite::SetPos(int position) const {
    ::SendMessageW(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int CProgressCtrlLite::GetPos() const {
    return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
}

CToolTipLite::~CToolTipLite() {
    // Normally gone with its owner already; IsWindow guards a tooltip left behind.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

BOOL CToolTipLite::Create(HWND owner) {
    m_hWnd = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

BOOL CToolTipLite::AddTool(HWND owner, HWND tool, const wchar_t* text) const {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    // The control copies the text; the pointer is only read during the call.
    info.lpszText = const_cast<wchar_t*>(text);
    return static_cast<BOOL>(
        ::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipLite::SetDelayTime(DWORD duration, int milliseconds) const {
    ::SendMessageW(m_hWnd, TTM_SETDELAYTIME, duration, MAKELPARAM(milliseconds, 0));
}

void CToolTipLite::Activate(BOOL active) const { ::SendMessageW(m_hWnd, TTM_ACTIVATE, active, 0); }
