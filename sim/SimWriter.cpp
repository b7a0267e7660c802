#include "sim/SimWriter.h"

#include <algorithm>
#include <cstdint>

#include "sim/SimHidPlatform.h"
#include "sim/SimWriterState.h"

namespace vantrel::sim {

SimWriter::State::State(IClock& clockIn, SimOptions optionsIn)
    : clock(clockIn),
      virtualClock(dynamic_cast<VirtualClock*>(&clockIn)),
      options(std::move(optionsIn)),
      aprom(kApromSize, 0xFF) {
    std::copy_n(options.aprom.begin(), std::min<size_t>(options.aprom.size(), kApromSize),
                aprom.begin());
    options.aprom.clear();
    options.index = std::max(options.index, 1);
    applicationPath = SimWriter::InterfacePath(options.index, SimMode::Application);
    bootLoaderPath = SimWriter::InterfacePath(options.index, SimMode::BootLoader);
    // Handles of writers on one bus never collide.
    nextHandle = 0x100 + static_cast<HidHandle>(options.index - 1) * 0x1000000;
    lastTick = virtualClock != nullptr ? 0 : clock.GetTickCount();
    const SimMode startMode =
        options.startInBootLoader ? SimMode::BootLoader : SimMode::Application;
    // A writer attached before the tool starts: present, no arrival event.
    if (!options.absent) {
        mode = startMode;
        instance = 1;
    } else if (options.arriveAfterMs > 0) {
        pendingArrival = ScheduledArrival{Now() + options.arriveAfterMs, startMode};
    }
}

SimWriter::SimWriter(IClock& clock, SimOptions options)
    : m_state(std::make_unique<State>(clock, std::move(options))),
      m_platform(std::make_unique<SimHidPlatform>(*this)) {}

SimWriter::~SimWriter() = default;

IHidPlatform& SimWriter::Platform() { return *m_platform; }

int SimWriter::Index() const { return m_state->options.index; }

std::vector<DeviceChange> SimWriter::TakeDueEvents() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ApplyDue();
    std::vector<DeviceChange> due(m_state->events.begin(), m_state->events.end());
    m_state->events.clear();
    return due;
}

std::optional<uint32_t> SimWriter::NextEventDueIn() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ApplyDue();
    if (!m_state->events.empty()) return 0;
    if (!m_state->pendingArrival) return std::nullopt;
    const uint64_t now = m_state->Now();
    const uint64_t due = m_state->pendingArrival->due;
    return static_cast<uint32_t>(std::min<uint64_t>(due > now ? due - now : 0, UINT32_MAX));
}

SimMode SimWriter::Mode() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ApplyDue();
    return m_state->mode;
}

void SimWriter::Unplug() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ApplyDue();
    m_state->pendingArrival.reset();
    m_state->Leave();
}

void SimWriter::PlugIn(SimMode mode) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ApplyDue();
    m_state->pendingArrival.reset();
    m_state->Leave();
    m_state->Arrive(mode);
}

void SimWriter::SetLevel(uint32_t level) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->options.writerLevel = level;
}

std::vector<uint8_t> SimWriter::Aprom() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->aprom;
}

bool SimWriter::SetAprom(const std::vector<uint8_t>& aprom) {
    if (aprom.size() != kApromSize) return false;
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->aprom = aprom;
    return true;
}

void SimWriter::AddFault(const Fault& fault) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->options.faults.push_back(fault);
}

void SimWriter::ClearFaults() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->options.faults.clear();
}

std::vector<RecordedCommand> SimWriter::RecordedCommands() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->record;
}

std::vector<std::string> SimWriter::RecordedNames() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    std::vector<std::string> names;
    for (const RecordedCommand& command : m_state->record) names.push_back(command.name);
    return names;
}

void SimWriter::ClearRecord() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->record.clear();
    if (m_state->pendingData) m_state->pendingData->recordIndex = SIZE_MAX;
}

std::vector<std::string> SimWriter::Anomalies() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->anomalies;
}

int SimWriter::OpenHandleCount() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return static_cast<int>(m_state->handles.size());
}

std::vector<std::string> SimWriter::Trace() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->trace;
}

void SimWriter::ClearTrace() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->trace.clear();
}

void SimWriter::SetTraceSink(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->traceSink = std::move(sink);
}

}  // namespace vantrel::sim
