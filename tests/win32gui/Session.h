#pragma once
// One run of the dialog tool under test, operated through its windows.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/win32gui/Probe.h"
#include "tests/win32gui/Report.h"

namespace gui {

// The main dialog's caption.
inline constexpr wchar_t kMainTitle[] = L"DovuziDozarorezaradV1.1.0.0";

struct ExitOutcome {
    bool ended = false;  // the process ended within the time allowed
    DWORD exitCode = STILL_ACTIVE;
    bool workerEndedItself = false;  // the worker thread returned (exit code 1)
};

class Session {
public:
    explicit Session(Report& report) : m_report(report) {}
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts `exe` in its own directory and waits for its main dialog.
    bool Launch(const std::wstring& exe);

    HWND Main() const { return m_main; }
    HWND Item(int id) const { return ::GetDlgItem(m_main, id); }
    std::wstring Pane(int pane) const;
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    int Progress() const;
    const Target& Process() const { return *m_target; }
    // Returns once the user-interface thread has finished the handler it is in.
    void Sync() const;

    // Waits until pane `pane` reads `text`; reports a failure (with the text it
    // read last) when it does not within `timeoutMs`.
    bool WaitForPane(int pane, const std::wstring& text, DWORD timeoutMs);
    bool WaitForText(int id, const std::wstring& text, DWORD timeoutMs);

    // "..." then the open-file dialog: types `path` into its file-name field and
    // presses Open (or Cancel when `path` is empty).
    bool ChooseFile(const std::wstring& path);

    // A dialog of this process with this caption, other than the main dialog.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs) const;
    // The message text of a message box.
    static std::wstring MessageText(HWND box);
    // Clicks the box's button ("OK") and waits until it has closed.
    bool CloseMessageBox(HWND box);

    // Waits for the process to end and tells how it ended.
    ExitOutcome WaitForEnd(DWORD timeoutMs);

    // Prints every window of the process (when something was not found).
    void DumpWindows() const;

private:
    void RememberThreads();

    Report& m_report;
    PROCESS_INFORMATION m_process{};
    std::unique_ptr<Target> m_target;
    HWND m_main = nullptr;
    HWND m_statusBar = nullptr;
    DWORD m_uiThread = 0;
    std::vector<HANDLE> m_threads;
};

}  // namespace gui
