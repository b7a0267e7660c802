#pragma once
// Several simulated writers on one bus, at locations sim-1 .. sim-N, each with its
// own firmware state (APROM, level, faults) and interface paths. The platform
// lists the unrelated interfaces once and then every writer that is present, in
// the order of their places, and hands each call to the writer it concerns.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/Clock.h"
#include "link/DeviceEvents.h"
#include "link/HidPlatform.h"
#include "sim/SimWriter.h"

namespace vantrel::sim {

class SimWriterBus {
public:
    // One writer per entry; the index of each is set from its place (1 .. N).
    SimWriterBus(IClock& clock, std::vector<SimOptions> writers);
    // Each writer on a clock of its own: `clockOf(index)` for the writer at `index`.
    SimWriterBus(const std::function<IClock&(int index)>& clockOf, std::vector<SimOptions> writers);
    ~SimWriterBus();
    SimWriterBus(const SimWriterBus&) = delete;
    SimWriterBus& operator=(const SimWriterBus&) = delete;

    IHidPlatform& Platform();
    int Count() const { return static_cast<int>(m_writers.size()); }
    // The writer at `index` (1 .. Count()).
    SimWriter& Writer(int index) { return *m_writers.at(static_cast<size_t>(index - 1)); }

    // Every writer's due events, writer by writer.
    std::vector<DeviceChange> TakeDueEvents();
    std::optional<uint32_t> NextEventDueIn();

private:
    class BusPlatform;
    std::vector<std::unique_ptr<SimWriter>> m_writers;
    std::unique_ptr<BusPlatform> m_platform;
};

// The bus's arrivals and removals, when their time has come, as a device-event
// source for a front end's loop.
class SimBusEvents : public IDeviceEventSource {
public:
    explicit SimBusEvents(SimWriterBus& bus) : m_bus(bus) {}
    std::vector<DeviceChange> TakeEvents() override { return m_bus.TakeDueEvents(); }

private:
    SimWriterBus& m_bus;
};

// One writer's arrivals and removals: a station's job for that writer needs no
// other writer's.
class SimWriterEvents : public IDeviceEventSource {
public:
    explicit SimWriterEvents(SimWriter& writer) : m_writer(writer) {}
    std::vector<DeviceChange> TakeEvents() override { return m_writer.TakeDueEvents(); }

private:
    SimWriter& m_writer;
};

}  // namespace vantrel::sim
