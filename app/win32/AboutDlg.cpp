#include "app/win32/AboutDlg.h"

#include "app/win32/CentreWindow.h"
#include "resources/resource.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialogLite(IDD_ABOUTBOX, parent) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialogLite::OnInitDialog();
    CentreWindow(m_hWnd, m_hParent);
    return TRUE;
}
