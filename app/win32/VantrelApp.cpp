#include "app/win32/VantrelApp.h"

#include <commctrl.h>

#include <memory>

#include "app/win32/ToolBackend.h"
#include "app/win32/VantrelDlg.h"

// The one application object.
CVantrelApp theApp;

CVantrelApp::CVantrelApp() { m_dwRestartManagerSupportFlags = kRestartManagerRestart; }

BOOL CVantrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;  // every control class
    ::InitCommonControlsEx(&controls);

    CWinAppLite::InitInstance();

    std::unique_ptr<vantrel::win32::IToolBackend> backend = vantrel::win32::CreateToolBackend();
    auto dialog = std::make_unique<CVantrelDlg>(*backend);
    m_pMainWnd = dialog.get();
    dialog->DoModal();
    m_pMainWnd = nullptr;
    dialog.reset();

    // No message loop of its own: the application ends here.
    return FALSE;
}
