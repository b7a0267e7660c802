#include "tests/win32gui/Session.h"

#include <windows.h>
// windows.h first: the common-control and tool-help headers rely on its types.
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>

namespace gui {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kDialogTimeoutMs = 15000;

// Control ids of the open-file dialog's file-name field: the combo box of the
// explorer-style dialog (its edit is a child) or a plain edit.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

std::wstring Hex(const void* handle) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%p", handle);
    return text;
}

void DumpTree(HWND window, int depth) {
    for (HWND child : Children(window)) {
        Say(std::wstring(2 * depth, L' ') + Hex(child) + L" id=" +
            std::to_wstring(::GetDlgCtrlID(child)) + L" class=" + ClassName(child) + L" text=\"" +
            WindowText(child) + L"\"" + (::IsWindowVisible(child) ? L"" : L" (hidden)") +
            (::IsWindowEnabled(child) ? L"" : L" (disabled)"));
        DumpTree(child, depth + 1);
    }
}

HWND FileNameField(HWND fileDialog) {
    if (HWND combo = ::GetDlgItem(fileDialog, kFileNameCombo)) {
        if (HWND edit = ::FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
        return combo;
    }
    return ::GetDlgItem(fileDialog, kFileNameEdit);
}

// The visible push button of a message box (its only button for MB_OK).
HWND MessageBoxButton(HWND box) {
    for (HWND child : Children(box)) {
        if (ClassName(child) == L"Button" && ::IsWindowVisible(child)) return child;
    }
    return nullptr;
}

}  // namespace

Session::~Session() {
    if (m_process.hProcess) {
        if (m_target && m_target->IsRunning()) {
            Say(L"  (ending the process left running)");
            ::TerminateProcess(m_process.hProcess, 99);
            ::WaitForSingleObject(m_process.hProcess, 5000);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    for (HANDLE thread : m_threads) ::CloseHandle(thread);
}

bool Session::Launch(const std::wstring& exe) {
    const std::wstring directory = exe.substr(0, exe.rfind(L'\\'));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.c_str(), &startup, &m_process)) {
        m_report.Fail(L"cannot start " + exe + L" (error " + std::to_wstring(::GetLastError()) +
                      L")");
        return false;
    }
    m_target = std::make_unique<Target>(m_process.dwProcessId, m_process.hProcess);
    ::WaitForInputIdle(m_process.hProcess, Patient(kStartTimeoutMs));
    WaitFor([&] { return (m_main = m_target->FindWindowTitled(L"#32770", kMainTitle)) != nullptr; },
            kStartTimeoutMs);
    if (!m_main) {
        m_report.Fail(L"the main dialog did not appear");
        DumpWindows();
        return false;
    }
    m_statusBar = ::FindWindowExW(m_main, nullptr, STATUSCLASSNAMEW, nullptr);
    m_uiThread = ::GetWindowThreadProcessId(m_main, nullptr);
    RememberThreads();
    return m_report.Expect(m_statusBar != nullptr, L"the main dialog has a status bar");
}

void Session::RememberThreads() {
    // The worker is started while the dialog initialises, so it exists once the
    // dialog is shown. Its exit code later tells whether it ended by itself.
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != m_process.dwProcessId || entry.th32ThreadID == m_uiThread)
            continue;
        if (HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                         entry.th32ThreadID))
            m_threads.push_back(thread);
    }
    ::CloseHandle(snapshot);
}

std::wstring Session::Pane(int pane) const { return m_target->StatusPaneText(m_statusBar, pane); }

void Session::Sync() const { Query(m_main, WM_NULL); }

int Session::Progress() const { return static_cast<int>(Query(Item(1016), PBM_GETPOS)); }

bool Session::WaitForPane(int pane, const std::wstring& text, DWORD timeoutMs) {
    if (WaitFor([&] { return Pane(pane) == text; }, timeoutMs))
        return m_report.ExpectText(text, text, L"pane " + std::to_wstring(pane));
    return m_report.ExpectText(Pane(pane), text, L"pane " + std::to_wstring(pane));
}

bool Session::WaitForText(int id, const std::wstring& text, DWORD timeoutMs) {
    if (WaitFor([&] { return Text(id) == text; }, timeoutMs))
        return m_report.ExpectText(text, text, L"control " + std::to_wstring(id));
    return m_report.ExpectText(Text(id), text, L"control " + std::to_wstring(id));
}

bool Session::ChooseFile(const std::wstring& path) {
    Click(Item(1000));
    HWND fileDialog = nullptr;
    WaitFor(
        [&] {
            for (HWND dialog : m_target->OtherDialogs(m_main)) {
                if (FileNameField(dialog)) {
                    fileDialog = dialog;
                    return true;
                }
            }
            return false;
        },
        kDialogTimeoutMs);
    if (!fileDialog) {
        m_report.Fail(L"the open-file dialog did not appear");
        DumpWindows();
        return false;
    }
    Say(L"  open-file dialog \"" + WindowText(fileDialog) + L"\"");
    if (path.empty()) {
        Click(::GetDlgItem(fileDialog, IDCANCEL));
    } else {
        TypeText(FileNameField(fileDialog), path);
        Click(::GetDlgItem(fileDialog, IDOK));
    }
    if (!WaitFor([&] { return !::IsWindow(fileDialog); }, kDialogTimeoutMs)) {
        m_report.Fail(L"the open-file dialog did not close");
        DumpWindows();
        return false;
    }
    // The rest of "..." runs once the dialog is gone; a sent message is handled
    // only after it has returned.
    Sync();
    return true;
}

HWND Session::WaitForDialog(const std::wstring& title, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND dialog : m_target->OtherDialogs(m_main)) {
                if (WindowText(dialog) == title) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::wstring Session::MessageText(HWND box) {
    // The text is the box's static control with id 0xFFFF.
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) return WindowText(text);
    std::wstring all;
    for (HWND child : Children(box)) {
        if (ClassName(child) == L"Static") all += WindowText(child);
    }
    return all;
}

bool Session::CloseMessageBox(HWND box) {
    HWND button = MessageBoxButton(box);
    if (!button) {
        m_report.Fail(L"the message box has no button");
        return false;
    }
    Click(button);
    if (!WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, kDialogTimeoutMs)) {
        m_report.Fail(L"the message box did not close");
        return false;
    }
    return true;
}

ExitOutcome Session::WaitForEnd(DWORD timeoutMs) {
    ExitOutcome outcome;
    if (::WaitForSingleObject(m_process.hProcess, Patient(timeoutMs)) != WAIT_OBJECT_0)
        return outcome;
    outcome.ended = true;
    ::GetExitCodeProcess(m_process.hProcess, &outcome.exitCode);
    for (HANDLE thread : m_threads) {
        DWORD code = 0;
        if (::GetExitCodeThread(thread, &code) && code == 1) outcome.workerEndedItself = true;
    }
    return outcome;
}

void Session::DumpWindows() const {
    if (!m_target) return;
    Say(L"  windows of process " + std::to_wstring(m_target->Id()) + L":");
    for (HWND window : m_target->TopLevelWindows()) {
        Say(L"  " + Hex(window) + L" class=" + ClassName(window) + L" title=\"" +
            WindowText(window) + L"\"");
        DumpTree(window, 2);
    }
}

}  // namespace gui
