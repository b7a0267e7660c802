#pragma once
// The view of vantrel-cli: prints every text the dialog would show, one per line,
// exactly as worded (pane texts, control texts with their labels, message boxes as
// their text), and on a terminal a progress bar redrawn in place. Message boxes do
// not wait. Any thread may call it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "cli/Console.h"
#include "common/View.h"

namespace vantrel::cli {

class ConsoleView : public IView {
public:
    // `mode`: the answer to the programming-mode question (1 six-wire, 2 five-wire),
    // or 0 to ask on a terminal and answer six-wire when nobody can be asked.
    ConsoleView(ConsoleStream& out, uint8_t mode, bool progressBar);

    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override;
    void PumpWorkerMessages() override;
    void RequestDeviceCheck() override;

    // Ends the progress bar's line, if one is drawn.
    void Finish();
    // Prints one line of the front end's own (ends the bar's line first).
    void PrintLine(const std::wstring& text);

    // The last text of a pane (empty when none was set).
    std::wstring LastPane(int pane);
    // True once since the last call when the core asked for deferred device
    // notifications to be replayed.
    bool TakeDeviceCheckRequest() { return m_deviceCheck.exchange(false); }
    // Called on the worker thread on every pass of the upgrade's wait for the boot
    // loader (the session uses it to let the user-interface loop take a turn).
    void SetPumpHook(std::function<void()> hook) { m_pumpHook = std::move(hook); }

    // A text as one printed line: trailing line ends of a message text are dropped.
    static std::wstring AsLine(const std::wstring& text);
    // The bar for a position: "[####....]  42%".
    static std::wstring Bar(int position);

private:
    void PrintLineLocked(const std::wstring& text);
    void EndBarLocked();

    ConsoleStream& m_out;
    const uint8_t m_mode;
    const bool m_progressBar;
    std::mutex m_mutex;
    bool m_barOpen = false;
    int m_barPosition = -1;
    std::wstring m_panes[4];
    std::atomic<bool> m_deviceCheck{false};
    std::function<void()> m_pumpHook;
};

}  // namespace vantrel::cli
