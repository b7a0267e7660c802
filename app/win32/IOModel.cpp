#include "app/win32/IOModel.h"

#include <commctrl.h>

#include "app/win32/CentreWindow.h"
#include "resources/resource.h"

namespace {

const wchar_t kSixWireHint[] = L"推荐设置，使用IC:BUSY控制，烧录时间短";
const wchar_t kFiveWireHint[] = L"非常规设置，不使用IC:BUSY控制，烧录时间长";

using Map = MessageMap<CIOModel>;

}  // namespace

CIOModel::CIOModel() : CDialogLite(IDD_IOMODEL, nullptr) {}

void CIOModel::DoDataExchange(CDataExchange* pDX) {
    CDialogLite::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SIX_WIRE, m_radioSixWire);
    DDX_Control(pDX, IDC_FIVE_WIRE, m_radioFiveWire);
}

BOOL CIOModel::OnInitDialog() {
    CDialogLite::OnInitDialog();

    // Shown from the worker thread without an owner: open it over the main dialog,
    // where the operator is looking, and bring it to the front. Its template makes
    // it topmost, so a click on the main dialog cannot hide it while the job waits
    // for the answer.
    CentreWindow(m_hWnd, m_hMainDialog);
    ::SetForegroundWindow(m_hWnd);

    m_nMode = kSixWire;
    m_radioSixWire.SetCheck(BST_CHECKED);
    m_radioFiveWire.SetCheck(BST_UNCHECKED);

    if (m_toolTip.Create(m_hWnd)) {
        m_toolTip.AddTool(m_hWnd, m_radioSixWire.GetSafeHwnd(), kSixWireHint);
        m_toolTip.AddTool(m_hWnd, m_radioFiveWire.GetSafeHwnd(), kFiveWireHint);
        m_toolTip.SetDelayTime(TTDT_AUTOMATIC, 500);
        m_toolTip.Activate(TRUE);
    }
    return TRUE;
}

bool CIOModel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const Map::Entry kMessageMap[] = {
        Map::Command(IDC_SIX_WIRE, &CIOModel::OnSixWire),
        Map::Command(IDC_FIVE_WIRE, &CIOModel::OnFiveWire),
        Map::Message(WM_DESTROY, &CIOModel::OnDestroy),
    };
    return Map::Dispatch(this, kMessageMap, message, wParam, lParam, result);
}

void CIOModel::OnSixWire() { m_nMode = kSixWire; }

void CIOModel::OnFiveWire() { m_nMode = kFiveWire; }

bool CIOModel::OnDestroy(WPARAM, LPARAM, LRESULT&) {
    // The windows go with the dialog; the object stays for the next question.
    m_radioSixWire.Detach();
    m_radioFiveWire.Detach();
    m_toolTip.Detach();
    return false;
}
