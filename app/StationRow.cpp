#include "app/StationRow.h"

#include "common/ShownText.h"
#include "common/WindowSystem.h"

namespace vantrel {

StationRowView::StationRowView(StationRowState initial, uint8_t mode, RowListener listener)
    : m_mode(mode), m_listener(std::move(listener)), m_state(std::move(initial)) {}

void StationRowView::Shown(const std::wstring& text, bool result) {
    if (text.empty()) return;
    std::wstring location;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (result) m_state.result = text;
        location = m_state.location;
    }
    if (m_listener) m_listener(location, text);
}

void StationRowView::SetPaneText(int pane, const std::wstring& text) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (pane < 0 || pane >= 4 || m_panes[pane] == text) return;
        m_panes[pane] = text;
    }
    // The pane's label is no event; the connection is no result.
    if (pane != kPaneLabel) Shown(text, pane != kPaneConnection);
}

void StationRowView::SetProgress(int position) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.progress = position < 0 ? 0 : position > 100 ? 100 : position;
}

void StationRowView::SetControlText(int controlId, const std::wstring& text) {
    if (controlId == kIdcIcName) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.subject = ShownText(text);
    }
    // A control emptied at a job's start is no event.
    if (text.empty()) return;
    const wchar_t* label = controlId == kIdcIcName           ? L"IC: "
                           : controlId == kIdcFirstChecksum  ? L"M+O+E："
                           : controlId == kIdcSecondChecksum ? L"MEMORY："
                                                             : L"";
    Shown(label + ShownText(text), false);
}

void StationRowView::ShowMessage(const std::wstring& text, const std::wstring&, unsigned) {
    Shown(ShownText(text));
}

uint8_t StationRowView::AskProgramMode() {
    m_modeAsked = true;
    if (m_mode == 1 || m_mode == 2) return m_mode;
    Shown(L"烧录模式: 六线模式 (1): nobody to ask (a station)", false);
    return 1;
}

void StationRowView::PumpWorkerMessages() {
    if (m_pumpHook) m_pumpHook();
}

void StationRowView::StepStarted(const std::wstring& name, const std::wstring& detail) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.step = detail.empty() ? name : name + L" " + detail;
}

void StationRowView::SetLabel(const std::wstring& label) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.step = label;
}

std::wstring StationRowView::LastPane(int pane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return pane >= 0 && pane < 4 ? m_panes[pane] : std::wstring();
}

void StationRowView::Begin(uint32_t tick) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.phase = RowPhase::Running;
    m_state.startTick = tick;
}

void StationRowView::End(uint32_t tick, JobOutcome outcome, const std::wstring& why) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.phase = outcome == JobOutcome::Succeeded ? RowPhase::Succeeded : RowPhase::Failed;
    m_state.endTick = tick;
    m_state.outcome = outcome;
    m_state.step.clear();
    if (!why.empty()) m_state.result = why;
}

void StationRowView::Say(const std::wstring& text) { Shown(text); }

StationRowState StationRowView::State() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

}  // namespace vantrel
