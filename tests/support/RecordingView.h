#pragma once
// A view that records every call, in order, so that tests can assert exact texts,
// message boxes and progress positions. Thread-safe.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/View.h"

namespace vantrel::test {

struct ViewEvent {
    enum Kind { Pane, Progress, Control, Message, AskMode } kind;
    int target = 0;  // pane index, control id, or progress position
    std::wstring text;
    std::wstring caption;
    unsigned style = 0;

    bool operator==(const ViewEvent&) const = default;
};

class RecordingView : public IView {
public:
    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override;
    void PumpWorkerMessages() override;
    void RequestDeviceCheck() override;

    // Answer of the programming-mode question (1 six-wire, 2 five-wire).
    uint8_t modeAnswer = 1;
    // Called while a message box is "open" (after it is recorded).
    std::function<void(const std::wstring& text)> onMessage;
    // Called on every pass of a worker's message pump.
    std::function<void()> onPump;
    // Called when the core asks for deferred device notifications to be replayed.
    std::function<void()> onDeviceCheck;

    std::vector<ViewEvent> Events() const;
    void Clear();
    // The texts of one pane, in the order they were set.
    std::vector<std::wstring> PaneTexts(int pane) const;
    // The last text of a pane or control (empty when never set).
    std::wstring LastPane(int pane) const;
    std::wstring LastControl(int controlId) const;
    // Message-box texts in order.
    std::vector<std::wstring> Messages() const;
    // Progress positions in order.
    std::vector<int> ProgressPositions() const;
    int LastProgress() const;
    int AskCount() const;
    int DeviceCheckRequests() const;

private:
    void Record(ViewEvent event);
    mutable std::mutex m_mutex;
    std::vector<ViewEvent> m_events;
    int m_deviceChecks = 0;
};

}  // namespace vantrel::test
