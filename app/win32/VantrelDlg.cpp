// The main dialog: start-up, exit, system menu, painting and device notifications.

#include "app/win32/VantrelDlg.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <vector>

#include "app/ModulePath.h"
#include "app/OwnProcess.h"
#include "app/win32/AboutDlg.h"
#include "app/win32/CentreWindow.h"
#include "app/win32/DeviceBroadcastRecord.h"
#include "resources/resource.h"

extern "C" {
// mingw's hidsdi.h has no C++ guard of its own.
#include <hidsdi.h>
}

using vantrel::kNoThread;

namespace {

using Map = MessageMap<CVantrelDlg>;

const wchar_t kStatusLabel[] = L"状态";
const wchar_t kWorkerStartError[] = L"启动工作线程错误";

// Right edges of the status bar's four panes; the last one runs to the window's edge.
const int kPaneEdges[] = {70, 200, 350, -1};

// The exit waits this long for the worker to take its Quit.
constexpr DWORD kExitWaitMs = 500;

std::wstring ModulePath() {
    // The module path is read into MAX_PATH characters; a longer path is cut.
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::vector<vantrel::ProcessEntry> ProcessSnapshot() {
    std::vector<vantrel::ProcessEntry> entries;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return entries;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        entries.push_back(vantrel::ProcessEntry{entry.th32ProcessID, entry.szExeFile});
    }
    ::CloseHandle(snapshot);
    return entries;
}

}  // namespace

CVantrelDlg::CVantrelDlg(vantrel::win32::IToolBackend& backend)
    : CDialogLite(IDD_VANTREL_DIALOG, nullptr),
      CVantrelCore(*static_cast<vantrel::IView*>(this), backend.Clock(), backend.Platform()),
      m_backend(backend) {
    m_claimScope = backend.ClaimScope();
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CVantrelDlg::~CVantrelDlg() {
    // The worker uses the members of this class (the programming-mode dialog, the
    // controls) and of the core. When the exit could not end it (a job was still
    // running and the process could not be terminated), stop it here, before any
    // member is destroyed. Every wait of a job is bounded, so this ends; the dialog's
    // windows are gone, so the job's messages to them return at once.
    if (m_hThread != kNoThread) {
        PostJob(vantrel::Quit);
        Wait();
    }
}

void CVantrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialogLite::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_IC_NAME, m_staticIc);
}

bool CVantrelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const Map::Entry kMessageMap[] = {
        Map::Message(WM_SYSCOMMAND, &CVantrelDlg::OnSysCommand),
        Map::Message(WM_PAINT, &CVantrelDlg::OnPaint),
        Map::Message(WM_QUERYDRAGICON, &CVantrelDlg::OnQueryDragIcon),
        Map::Message(WM_DEVICECHANGE, &CVantrelDlg::OnDeviceChangeMessage),
        Map::Message(kDeviceCheckMessage, &CVantrelDlg::OnDeviceCheck),
        Map::Message(WM_TIMER, &CVantrelDlg::OnTimer),
        Map::Command(IDC_BROWSE, &CVantrelDlg::OnBrowse),
        Map::Command(IDC_CONFIGURE, &CVantrelDlg::OnConfigureWriter),
        Map::Command(IDC_UPGRADE, &CVantrelDlg::OnUpgradeFirmware),
        Map::Command(IDCANCEL, &CVantrelDlg::OnExit),
        Map::Command(IDOK, &CVantrelDlg::OnEnter),
    };
    return Map::Dispatch(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CVantrelDlg::OnInitDialog() {
    CDialogLite::OnInitDialog();
    m_hViewWindow = m_hWnd;
    m_ioModelDlg.m_hMainDialog = m_hWnd;
    CentreWindow(m_hWnd, nullptr);

    AddAboutToSystemMenu();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_strFileDir = vantrel::ModuleDirectory(ModulePath());
    FindOwnProcess();
    CreateStatusBar();

    ResetStartupState();
    DetectWriterAtStartup();
    RegisterForDeviceNotifications();

    if (!StartWorker()) {
        ::KillTimer(m_hWnd, kDeviceEventTimer);
        if (m_hDevNotify) {
            ::UnregisterDeviceNotification(m_hDevNotify);
            m_hDevNotify = nullptr;
        }
        ::MessageBoxW(m_hWnd, kWorkerStartError, vantrel::ApplicationTitle(ModulePath()).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
        return TRUE;
    }

    ::EnableWindow(GetDlgItem(IDC_CONFIGURE), FALSE);
    ::EnableWindow(GetDlgItem(IDC_UPGRADE), FALSE);
    return TRUE;
}

void CVantrelDlg::AddAboutToSystemMenu() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (!systemMenu) return;
    wchar_t about[128] = {};
    if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 128) <= 0) return;
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
}

void CVantrelDlg::FindOwnProcess() {
    // Only the entry that is this very process is accepted: with several instances
    // running, the first one of the name may be another, which the exit must never
    // terminate.
    m_dwProcessId = vantrel::FindOwnProcessId(ProcessSnapshot(), m_backend.ProcessImageName(),
                                              ::GetCurrentProcessId());
}

void CVantrelDlg::CreateStatusBar() {
    m_hStatusBar = ::CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_BORDER, kStatusLabel, m_hWnd,
                                         IDC_STATUS_BAR);
    ::SendMessageW(m_hStatusBar, SB_SETPARTS, sizeof kPaneEdges / sizeof kPaneEdges[0],
                   reinterpret_cast<LPARAM>(kPaneEdges));
}

void CVantrelDlg::RegisterForDeviceNotifications() {
    ::HidD_GetHidGuid(&m_hidGuid);
    DEV_BROADCAST_DEVICEINTERFACE_W filter = vantrel::win32::InterfaceFilter(m_hidGuid);
    // A failed registration is not reported: the connection pane then keeps the
    // state found at start-up.
    m_hDevNotify = ::RegisterDeviceNotificationW(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (const uint32_t interval = m_backend.DeviceEventIntervalMs())
        ::SetTimer(m_hWnd, kDeviceEventTimer, interval, nullptr);
}

void CVantrelDlg::OnEnter() {
    // Enter (and the hidden OK button) never closes the dialog.
}

void CVantrelDlg::OnExit() {
    if (m_hDevNotify) {
        ::UnregisterDeviceNotification(m_hDevNotify);
        m_hDevNotify = nullptr;
    }
    ::KillTimer(m_hWnd, kDeviceEventTimer);
    EndDialog(IDCANCEL);
    PostJob(vantrel::Quit);
    if (m_hThread != kNoThread && WaitForThread(kExitWaitMs)) return;
    // A job is still running (or there is no worker to wait for): end the process
    // where it stands.
    TerminateOwnProcess();
}

void CVantrelDlg::TerminateOwnProcess() const {
    if (!vantrel::MayTerminate(m_dwProcessId, ::GetCurrentProcessId())) return;
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, m_dwProcessId);
    if (!process) return;
    ::TerminateProcess(process, 0);
    ::CloseHandle(process);
}

bool CVantrelDlg::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg about(m_hWnd);
    about.DoModal();
    result = 0;
    return true;
}

bool CVantrelDlg::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    if (!::IsIconic(m_hWnd)) return false;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
    result = 0;
    return true;
}

bool CVantrelDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}

bool CVantrelDlg::OnDeviceChangeMessage(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (header) {
        const vantrel::DeviceBroadcast broadcast = vantrel::win32::ReadDeviceBroadcast(*header);
        result = OnDeviceChange(static_cast<uint32_t>(wParam), &broadcast);
    } else {
        result = OnDeviceChange(static_cast<uint32_t>(wParam), nullptr);
    }
    return true;
}

bool CVantrelDlg::OnDeviceCheck(WPARAM, LPARAM, LRESULT& result) {
    ProcessDeferredDeviceChanges();
    result = 0;
    return true;
}

bool CVantrelDlg::OnTimer(WPARAM wParam, LPARAM, LRESULT& result) {
    if (wParam != kDeviceEventTimer) return false;
    result = 0;
    // Presence tracking may show a message box, whose message loop runs this timer
    // again: the events taken by the outer call are still being delivered.
    if (m_bDeliveringEvents) return true;
    m_bDeliveringEvents = true;
    for (const vantrel::DeviceChange& event : m_backend.TakeDueDeviceEvents()) {
        // The same path as the system's notifications: a record sent to the window.
        const vantrel::win32::InterfaceBroadcast record(m_hidGuid, event.broadcast.name);
        ::SendMessageW(m_hWnd, WM_DEVICECHANGE, event.eventType,
                       reinterpret_cast<LPARAM>(record.Header()));
    }
    m_bDeliveringEvents = false;
    return true;
}
