#include "tests/win32gui/Probe.h"

#include <commctrl.h>

namespace gui {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

struct EnumState {
    DWORD processId;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == state->processId && ::IsWindowVisible(window)) state->windows->push_back(window);
    return TRUE;
}

// Memory in the target process, freed when this goes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : m_process(process) {
        m_address =
            ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (m_address) ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return m_address; }
    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T written = 0;
        return ::WriteProcessMemory(m_process, static_cast<BYTE*>(m_address) + offset, data, size,
                                    &written) &&
               written == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T read = 0;
        return ::ReadProcessMemory(m_process, static_cast<BYTE*>(m_address) + offset, data, size,
                                   &read) &&
               read == size;
    }

private:
    HANDLE m_process;
    void* m_address = nullptr;
};

}  // namespace

std::vector<HWND> Target::TopLevelWindows() const {
    std::vector<HWND> windows;
    EnumState state{m_processId, &windows};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return windows;
}

HWND Target::FindWindowTitled(const std::wstring& className, const std::wstring& title) const {
    for (HWND window : TopLevelWindows()) {
        if (ClassName(window) == className && WindowText(window) == title) return window;
    }
    return nullptr;
}

std::vector<HWND> Target::OtherDialogs(HWND except) const {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindows()) {
        if (window != except && ClassName(window) == L"#32770") dialogs.push_back(window);
    }
    return dialogs;
}

std::wstring Target::StatusPaneText(HWND statusBar, int pane) const {
    bool ok = false;
    const LRESULT lengthInfo = Query(statusBar, SB_GETTEXTLENGTHW, pane, 0, &ok);
    if (!ok) return L"<no answer>";
    const size_t length = LOWORD(lengthInfo);
    RemoteBuffer buffer(m_process, (length + 1) * sizeof(wchar_t));
    if (!buffer.Address()) return L"<no remote memory>";
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(statusBar, SB_GETTEXTW, pane,
                               reinterpret_cast<LPARAM>(buffer.Address()), SMTO_ABORTIFHUNG,
                               Patient(kAnswerTimeoutMs), &answer))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    if (!buffer.Read(0, text.data(), text.size() * sizeof(wchar_t))) return L"<unreadable>";
    text.resize(wcsnlen(text.c_str(), length));
    return text;
}

std::wstring Target::ToolTipText(HWND toolTip, HWND owner, HWND tool) const {
    constexpr size_t kTextChars = 256;
    const size_t textOffset = (sizeof(TTTOOLINFOW) + 15) & ~size_t{15};
    RemoteBuffer buffer(m_process, textOffset + kTextChars * sizeof(wchar_t));
    if (!buffer.Address()) return L"<no remote memory>";
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(buffer.Address()) + textOffset);
    const wchar_t empty[kTextChars] = {};
    if (!buffer.Write(0, &info, sizeof(info)) || !buffer.Write(textOffset, empty, sizeof(empty)))
        return L"<unwritable>";
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(toolTip, TTM_GETTEXTW, kTextChars,
                               reinterpret_cast<LPARAM>(buffer.Address()), SMTO_ABORTIFHUNG,
                               Patient(kAnswerTimeoutMs), &answer))
        return L"<no answer>";
    wchar_t text[kTextChars] = {};
    if (!buffer.Read(textOffset, text, sizeof(text))) return L"<unreadable>";
    return std::wstring(text, wcsnlen(text, kTextChars));
}

bool Target::IsRunning() const { return ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring WindowText(HWND window) {
    bool ok = false;
    const LRESULT length = Query(window, WM_GETTEXTLENGTH, 0, 0, &ok);
    if (!ok) return L"<no answer>";
    // WM_GETTEXT is carried across processes by the system.
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               Patient(kAnswerTimeoutMs), &copied))
        return L"<no answer>";
    text.resize(copied);
    return text;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND FindDescendant(HWND parent, const std::wstring& className, const std::wstring& text) {
    for (HWND child : Children(parent)) {
        if (ClassName(child) == className && WindowText(child) == text) return child;
        if (HWND found = FindDescendant(child, className, text)) return found;
    }
    return nullptr;
}

bool CentredOver(HWND window, HWND over) {
    RECT own, target;
    if (!::GetWindowRect(window, &own)) return false;
    if (over) {
        if (!::GetWindowRect(over, &target)) return false;
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
            return false;
        target = monitor.rcWork;
    }
    const auto withinAPixel = [](LONG a, LONG b) { return a - b <= 1 && b - a <= 1; };
    return withinAPixel(own.left + own.right, target.left + target.right) &&
           withinAPixel(own.top + own.bottom, target.top + target.bottom);
}

bool IsAbove(HWND upper, HWND lower) {
    for (HWND below = ::GetWindow(upper, GW_HWNDNEXT); below;
         below = ::GetWindow(below, GW_HWNDNEXT))
        if (below == lower) return true;
    return false;
}

std::wstring ClipboardText() {
    if (!WaitFor([] { return ::OpenClipboard(nullptr) != FALSE; }, 5000)) return L"<no clipboard>";
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

LRESULT Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok) {
    DWORD_PTR answer = 0;
    const bool answered = ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                                Patient(kAnswerTimeoutMs), &answer) != 0;
    if (ok) *ok = answered;
    return static_cast<LRESULT>(answer);
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void ClickAt(int x, int y) {
    INPUT input[3] = {};
    for (INPUT& one : input) one.type = INPUT_MOUSE;
    input[0].mi.dx = x * 65536 / ::GetSystemMetrics(SM_CXSCREEN);
    input[0].mi.dy = y * 65536 / ::GetSystemMetrics(SM_CYSCREEN);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(3, input, sizeof(INPUT));
}

void PressKey(HWND window, WORD virtualKey) {
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageW(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

void TypeText(HWND edit, const std::wstring& text) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, Patient(kAnswerTimeoutMs), &answer);
}

namespace {
DWORD g_patience = 1;
}  // namespace

void SetPatience(DWORD factor) { g_patience = factor < 1 ? 1 : factor; }

DWORD Patient(DWORD timeoutMs) { return timeoutMs * g_patience; }

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + Patient(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(50);
    }
}

}  // namespace gui
