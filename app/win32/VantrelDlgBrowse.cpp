// "...": the choice of the source file, which decides the job button to enable.

#include <windows.h>
// windows.h first: the common-dialog and common-control headers rely on its types.
#include <commdlg.h>

#include <vector>

#include "app/FileChoice.h"
#include "app/win32/VantrelDlg.h"
#include "resources/resource.h"

namespace {

// Room for the chosen path; the system's 260-character limit does not bind here.
constexpr DWORD kFileNameChars = 32768;

}  // namespace

void CVantrelDlg::OnBrowse() {
    ::SetDlgItemTextW(m_hWnd, IDC_CHECKSUM_MOE, L"");
    ::SetDlgItemTextW(m_hWnd, IDC_CHECKSUM_MEMORY, L"");

    const std::wstring filter = vantrel::OpenFileFilter(vantrel::kSourceFileFilter);
    std::vector<wchar_t> fileName(kFileNameChars, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = kFileNameChars;
    dialog.lpstrInitialDir = m_strFileDir.c_str();
    dialog.lpstrDefExt = L"ctl";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;

    if (!::GetOpenFileNameW(&dialog)) {
        SetFilePath(std::wstring());
        ::SetDlgItemTextW(m_hWnd, IDC_FILE_PATH, L"");
        SetPaneText(vantrel::kPaneError, L"");
        return;
    }

    const std::wstring path = fileName.data();
    switch (vantrel::JobButtonForFile(path)) {
        case vantrel::JobButton::Configure:
            ::EnableWindow(GetDlgItem(IDC_CONFIGURE), TRUE);
            ::EnableWindow(GetDlgItem(IDC_UPGRADE), FALSE);
            break;
        case vantrel::JobButton::Upgrade:
            ::EnableWindow(GetDlgItem(IDC_CONFIGURE), FALSE);
            ::EnableWindow(GetDlgItem(IDC_UPGRADE), TRUE);
            break;
        case vantrel::JobButton::Unchanged:
            break;
    }
    SetFilePath(path);
    m_strFileDir = vantrel::DirectoryOfChosenFile(path);
    ::SetDlgItemTextW(m_hWnd, IDC_FILE_PATH, path.c_str());
    SetPaneText(vantrel::kPaneError, L"");
}
