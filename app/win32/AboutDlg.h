#pragma once
// The About box (template 100): icon, name and version, and "确定".

#include "app/win32/DialogLite.h"

class CAboutDlg : public CDialogLite {
public:
    explicit CAboutDlg(HWND parent);

protected:
    // Opens centred over the main dialog.
    BOOL OnInitDialog() override;
};
