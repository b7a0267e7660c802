#include "app/win32/AboutDlg.h"

#include "resources/resource.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialogLite(IDD_ABOUTBOX, parent) {}
