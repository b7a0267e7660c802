#pragma once
// Watches the reports written to the writer and tells the view which step starts
// (for -v and the progress bar's label) and the interruption handler where the
// writer stands. Runs of the page commands count as one step, with the page in the
// bar's label.

#include <mutex>
#include <string>

#include "cli/ConsoleView.h"
#include "link/TracingPlatform.h"
#include "protocol/WireDecoder.h"

namespace vantrel::cli {

class StepNarrator : public ILinkObserver {
public:
    explicit StepNarrator(ConsoleView& view) : m_view(view) {}

    void Writing(uint16_t version, const uint8_t* data, size_t count) override;
    void Received(uint16_t version, const uint8_t* data, size_t count) override;
    void Closed() override;

    // True once the writer was asked for its level.
    bool LevelQueried();

private:
    ConsoleView& m_view;
    std::mutex m_mutex;
    WireDecoder m_steps;
    std::string m_lastStep;
    bool m_levelQueried = false;
};

}  // namespace vantrel::cli
