#pragma once
// CVantrelApp: the application object. It runs the main dialog modally and ends.

#include "app/win32/WinAppLite.h"

class CVantrelApp : public CWinAppLite {
public:
    CVantrelApp();
    BOOL InitInstance() override;
};
