#include "tests/support/RecordingView.h"

namespace vantrel::test {

void RecordingView::Record(ViewEvent event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(std::move(event));
}

void RecordingView::SetPaneText(int pane, const std::wstring& text) {
    Record({ViewEvent::Pane, pane, text, {}, 0});
}

void RecordingView::SetProgress(int position) {
    Record({ViewEvent::Progress, position, {}, {}, 0});
}

void RecordingView::SetControlText(int controlId, const std::wstring& text) {
    Record({ViewEvent::Control, controlId, text, {}, 0});
}

void RecordingView::ShowMessage(const std::wstring& text, const std::wstring& caption,
                                unsigned style) {
    Record({ViewEvent::Message, 0, text, caption, style});
    if (onMessage) onMessage(text);
}

uint8_t RecordingView::AskProgramMode() {
    Record({ViewEvent::AskMode, 0, {}, {}, 0});
    return modeAnswer;
}

void RecordingView::PumpWorkerMessages() {
    if (onPump) onPump();
}

void RecordingView::RequestDeviceCheck() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_deviceChecks;
    }
    if (onDeviceCheck) onDeviceCheck();
}

std::vector<ViewEvent> RecordingView::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

void RecordingView::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
}

std::vector<std::wstring> RecordingView::PaneTexts(int pane) const {
    std::vector<std::wstring> texts;
    for (const ViewEvent& e : Events())
        if (e.kind == ViewEvent::Pane && e.target == pane) texts.push_back(e.text);
    return texts;
}

std::wstring RecordingView::LastPane(int pane) const {
    auto texts = PaneTexts(pane);
    return texts.empty() ? std::wstring() : texts.back();
}

std::wstring RecordingView::LastControl(int controlId) const {
    std::wstring last;
    for (const ViewEvent& e : Events())
        if (e.kind == ViewEvent::Control && e.target == controlId) last = e.text;
    return last;
}

std::vector<std::wstring> RecordingView::Messages() const {
    std::vector<std::wstring> texts;
    for (const ViewEvent& e : Events())
        if (e.kind == ViewEvent::Message) texts.push_back(e.text);
    return texts;
}

std::vector<int> RecordingView::ProgressPositions() const {
    std::vector<int> positions;
    for (const ViewEvent& e : Events())
        if (e.kind == ViewEvent::Progress) positions.push_back(e.target);
    return positions;
}

int RecordingView::LastProgress() const {
    auto positions = ProgressPositions();
    return positions.empty() ? -1 : positions.back();
}

int RecordingView::AskCount() const {
    int count = 0;
    for (const ViewEvent& e : Events())
        if (e.kind == ViewEvent::AskMode) ++count;
    return count;
}

int RecordingView::DeviceCheckRequests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deviceChecks;
}

}  // namespace vantrel::test
