#pragma once
// One writer's row of a station: the view of its job, kept as a state that the
// station's display reads at any time (which IC or firmware, the step or page in
// progress, the bar, the result), and passed on as events to a listener for
// displays that print one line per event. Any thread may call it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "app/JobRun.h"
#include "app/JobView.h"

namespace vantrel {

enum class RowPhase { Waiting, Running, Succeeded, Failed };

struct StationRowState {
    std::wstring location;  // the writer's place: its USB location, else its path
    std::wstring subject;   // the IC name of a configuration, the file of an upgrade
    RowPhase phase = RowPhase::Waiting;
    std::wstring step;  // the step or page in progress
    int progress = 0;   // 0-100
    uint32_t startTick = 0;
    uint32_t endTick = 0;  // when it ended (phase Succeeded or Failed)
    std::wstring result;   // the last pane text or message shown, or why the job failed
    JobOutcome outcome = JobOutcome::Succeeded;
};

// `text` is one event of the row at `location`: a text the job showed.
using RowListener = std::function<void(const std::wstring& location, const std::wstring& text)>;

class StationRowView : public IJobView {
public:
    // `mode`: the answer to the programming-mode question (1 six-wire, 2 five-wire;
    // 0: six-wire, nobody being there to ask).
    StationRowView(StationRowState initial, uint8_t mode, RowListener listener);

    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override;
    void PumpWorkerMessages() override;
    void RequestDeviceCheck() override { m_deviceCheck = true; }

    void StepStarted(const std::wstring& name, const std::wstring& detail) override;
    void SetLabel(const std::wstring& label) override;
    std::wstring LastPane(int pane) override;
    bool ModeAsked() const override { return m_modeAsked; }
    bool TakeDeviceCheckRequest() override { return m_deviceCheck.exchange(false); }
    void SetPumpHook(std::function<void()> hook) override { m_pumpHook = std::move(hook); }

    // The station's own changes of the row.
    void Begin(uint32_t tick);
    void End(uint32_t tick, JobOutcome outcome, const std::wstring& why);
    // A text of the station's own for this row (busy, not back): shown as the result.
    void Say(const std::wstring& text);
    StationRowState State();

private:
    // `result`: the text stands as the row's result until the next one.
    void Shown(const std::wstring& text, bool result = true);

    const uint8_t m_mode;
    const RowListener m_listener;
    std::mutex m_mutex;
    StationRowState m_state;
    std::wstring m_panes[4];
    std::atomic<bool> m_modeAsked{false};
    std::atomic<bool> m_deviceCheck{false};
    std::function<void()> m_pumpHook;
};

}  // namespace vantrel
