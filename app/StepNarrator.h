#pragma once
// Watches the reports written to the writer and tells the view which step starts
// (for a step line and a progress label) and a listener (the interruption handler)
// where the writer stands. Runs of the page commands count as one step, with the page in the
// bar's label.

#include <functional>
#include <mutex>
#include <string>

#include "app/JobView.h"
#include "link/TracingPlatform.h"
#include "protocol/WireDecoder.h"

namespace vantrel {

class StepNarrator : public ILinkObserver {
public:
    // `onCommand` hears every command written, on the writing thread; may be empty.
    explicit StepNarrator(IJobView& view, std::function<void(const WireCommand&)> onCommand = {})
        : m_view(view), m_onCommand(std::move(onCommand)) {}

    void Writing(uint16_t version, const uint8_t* data, size_t count) override;
    void Received(uint16_t version, const uint8_t* data, size_t count) override;
    void Closed() override;

    // True once the writer was asked for its level.
    bool LevelQueried();

private:
    IJobView& m_view;
    const std::function<void(const WireCommand&)> m_onCommand;
    std::mutex m_mutex;
    WireDecoder m_steps;
    std::string m_lastStep;
    bool m_levelQueried = false;
};

}  // namespace vantrel
