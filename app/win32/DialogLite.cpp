#include "app/win32/DialogLite.h"

void DDX_Control(CDataExchange* pDX, int id, CWndLite& control) {
    control.Attach(::GetDlgItem(pDX->m_hDlg, id));
}

CDialogLite::CDialogLite(UINT templateId, HWND parent)
    : m_nTemplateId(templateId), m_hParent(parent) {}

CDialogLite::~CDialogLite() = default;

INT_PTR CDialogLite::DoModal() {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId),
                             m_hParent, &CDialogLite::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialogLite::EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }

HWND CDialogLite::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

BOOL CDialogLite::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange;
    exchange.m_hDlg = m_hWnd;
    exchange.m_bSaveAndValidate = saveAndValidate;
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialogLite::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialogLite::DoDataExchange(CDataExchange*) {}

void CDialogLite::OnOK() { EndDialog(IDOK); }

void CDialogLite::OnCancel() { EndDialog(IDCANCEL); }

bool CDialogLite::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK CDialogLite::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogLite*>(lParam);
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CDialogLite*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!self) return FALSE;  // messages before WM_INITDIALOG

    LRESULT result = 0;
    bool handled = self->OnMessage(message, wParam, lParam, result);
    if (!handled && message == WM_COMMAND && HIWORD(wParam) <= 1) {
        if (LOWORD(wParam) == IDOK) {
            self->OnOK();
            handled = true;
        } else if (LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
            handled = true;
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    if (!handled) return FALSE;

    switch (message) {
        // The messages whose answer is the dialog procedure's own return value.
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return static_cast<INT_PTR>(result);
        default:
            ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}
