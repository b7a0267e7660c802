#pragma once
// Looking at and operating the windows of another process, as an operator or an
// accessibility tool would: finding its windows, reading their texts and states,
// clicking buttons and typing keys. Every message sent to the other process has a
// time limit, so a busy or hung target never hangs the driver.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// A process under test.
class Target {
public:
    Target(DWORD processId, HANDLE process) : m_processId(processId), m_process(process) {}
    DWORD Id() const { return m_processId; }
    HANDLE Handle() const { return m_process; }

    // Visible top-level windows of the process.
    std::vector<HWND> TopLevelWindows() const;
    // The first visible top-level window with this class and (exact) title.
    HWND FindWindowTitled(const std::wstring& className, const std::wstring& title) const;
    // Visible dialogs (#32770) of the process other than `except`.
    std::vector<HWND> OtherDialogs(HWND except) const;

    // Text of pane `pane` of a status bar of this process (SB_GETTEXTW into memory
    // allocated in the process).
    std::wstring StatusPaneText(HWND statusBar, int pane) const;
    // Text of a tooltip's tool for control `tool` of `owner` (TTM_GETTEXTW).
    std::wstring ToolTipText(HWND toolTip, HWND owner, HWND tool) const;

    bool IsRunning() const;

private:
    DWORD m_processId;
    HANDLE m_process;
};

std::wstring ClassName(HWND window);
std::wstring WindowText(HWND window);
// Direct children of `parent`, in Z order.
std::vector<HWND> Children(HWND parent);
// The first descendant of `parent` whose class and text match.
HWND FindDescendant(HWND parent, const std::wstring& className, const std::wstring& text);

// Where windows are: whether `window` is centred (within a pixel) over `over`, or
// over the work area of its screen when `over` is null; whether `upper` lies above
// `lower` in the Z order.
bool CentredOver(HWND window, HWND over);
bool IsAbove(HWND upper, HWND lower);

// The text on the clipboard; empty when there is none.
std::wstring ClipboardText();

// Sends a message that carries no pointers and waits at most a few seconds for the
// answer; `ok` (when given) tells whether the answer came.
LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, bool* ok = nullptr);

// A click on a button, as the mouse gives one. Posted, so that a click that opens
// a modal window does not hold the driver.
void Click(HWND button);
// A left click of the mouse at a point of the screen, as real input.
void ClickAt(int x, int y);
// A key pressed and released while `window` has the keyboard focus.
void PressKey(HWND window, WORD virtualKey);
// Replaces the text of an edit field, as typing the whole text would.
void TypeText(HWND edit, const std::wstring& text);

// Polls `condition` every 50 ms until it holds or `timeoutMs` has passed.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// Every wait of the driver is this many times as long (1 unless set): a writer on
// an emulated USB stack under Wine is many times slower than the simulated one.
void SetPatience(DWORD factor);
DWORD Patient(DWORD timeoutMs);

}  // namespace gui
