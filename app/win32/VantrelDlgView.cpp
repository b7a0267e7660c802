// The main dialog as the core's view. The worker thread calls these too: every
// change reaches the user-interface thread's windows as a sent message, and the
// handles used were all set before the worker started.

#include <windows.h>
// windows.h first: the common-dialog and common-control headers rely on its types.
#include <commctrl.h>

#include "app/win32/VantrelDlg.h"

void CVantrelDlg::SetPaneText(int pane, const std::wstring& text) {
    // The pane index in the low byte, no drawing flags.
    ::SendMessageW(m_hStatusBar, SB_SETTEXTW, static_cast<WPARAM>(pane & 0xFF),
                   reinterpret_cast<LPARAM>(text.c_str()));
}

void CVantrelDlg::SetProgress(int position) { m_progress.SetPos(position); }

void CVantrelDlg::SetControlText(int controlId, const std::wstring& text) {
    if (controlId == vantrel::kIdcIcName) {
        m_staticIc.SetWindowText(text.c_str());
        return;
    }
    ::SetDlgItemTextW(m_hViewWindow, controlId, text.c_str());
}

void CVantrelDlg::ShowMessage(const std::wstring& text, const std::wstring& caption,
                              unsigned style) {
    ::MessageBoxW(m_hViewWindow, text.c_str(), caption.c_str(), style);
}

uint8_t CVantrelDlg::AskProgramMode() {
    m_ioModelDlg.DoModal();
    return m_ioModelDlg.m_nMode;
}

void CVantrelDlg::PumpWorkerMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void CVantrelDlg::RequestDeviceCheck() { ::PostMessageW(m_hViewWindow, kDeviceCheckMessage, 0, 0); }
