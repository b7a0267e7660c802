#pragma once
// The view of vantrel-cli: prints every text the dialog would show, one per line,
// exactly as worded (pane texts, control texts with their labels, message boxes
// after "Message: " or "警告: "), and texts from files with control characters
// escaped. On a terminal a labelled progress bar with the elapsed time is redrawn
// in place on standard error, never wider than the terminal. -v adds a line for
// each step as it starts; -q prints only errors and the result. Message boxes do
// not wait. Any thread may call it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "app/JobView.h"
#include "cli/Options.h"
#include "common/Console.h"

namespace vantrel::cli {

struct ViewSettings {
    Command command = Command::Status;
    Verbosity verbosity = Verbosity::Normal;
    // The answer to the programming-mode question (1 six-wire, 2 five-wire), or 0
    // to ask.
    uint8_t mode = 0;
    // Someone can answer: standard input and output are a terminal.
    bool canAsk = false;
    // Reads one answer; false at the end of input.
    std::function<bool(std::wstring&)> readLine;
    // Draw the progress bar (standard error is a terminal).
    bool progressBar = false;
};

class ConsoleView : public IJobView {
public:
    // `out` takes the lines, `err` the progress bar.
    ConsoleView(TextSink& out, TextSink& err, ViewSettings settings);

    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override;
    void PumpWorkerMessages() override;
    void RequestDeviceCheck() override;

    // A step begins: `name` as the protocol names it, `detail` a few words or empty.
    // -v prints it; the progress bar shows it as its label.
    void StepStarted(const std::wstring& name, const std::wstring& detail) override;
    // The bar's label while the step runs (a page count, ...); nothing is printed.
    void SetLabel(const std::wstring& label) override;
    // Redraws the bar when the elapsed time shown has changed (the main loop calls it).
    void Tick() override;
    // Ends the job's output: the bar is taken away, and with -q the result that was
    // held back is printed.
    void Finish() override;
    // Prints one line of the front end's own (at every verbosity but -q).
    void PrintLine(const std::wstring& text);
    // Prints one line of the front end's own in -v only.
    void PrintDetail(const std::wstring& text);

    // The last text of a pane (empty when none was set).
    std::wstring LastPane(int pane) override;
    // True when the core asked the programming-mode question.
    bool ModeAsked() const override { return m_modeAsked; }
    // True once since the last call when the core asked for deferred device
    // notifications to be replayed.
    bool TakeDeviceCheckRequest() override { return m_deviceCheck.exchange(false); }
    // Called on the worker thread on every pass of the upgrade's wait for the boot
    // loader (the session uses it to let the user-interface loop take a turn).
    void SetPumpHook(std::function<void()> hook) override { m_pumpHook = std::move(hook); }

    // A text as one printed line: trailing line ends of a message text are dropped.
    static std::wstring AsLine(const std::wstring& text);
    // The bar line for `columns` columns (80 when 0): "LABEL [####....]  42% 0:07".
    static std::wstring Bar(const std::wstring& label, int position, int seconds, int columns);
    // An answer to the programming-mode question: 1, 2, or 0 when it is none.
    static uint8_t ParseModeAnswer(const std::wstring& answer);

private:
    void PrintLocked(const std::wstring& line);
    void DrawBarLocked();
    void ClearBarLocked();
    int ElapsedSeconds() const;
    bool Quiet() const { return m_settings.verbosity == Verbosity::Quiet; }
    bool Verbose() const { return m_settings.verbosity == Verbosity::Verbose; }

    TextSink& m_out;
    TextSink& m_err;
    const ViewSettings m_settings;
    const std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    // The bar: shown once a position was set, hidden while a question is asked.
    bool m_barShown = false;
    bool m_barDrawn = false;
    bool m_asking = false;
    bool m_resultPrinted = false;
    size_t m_barLength = 0;
    int m_barPosition = 0;
    int m_barSeconds = -1;
    std::wstring m_label;
    std::wstring m_lastBar;
    std::wstring m_panes[4];
    std::atomic<bool> m_modeAsked{false};
    std::atomic<bool> m_deviceCheck{false};
    std::function<void()> m_pumpHook;
};

}  // namespace vantrel::cli
