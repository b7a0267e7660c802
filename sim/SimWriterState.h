#pragma once
// The inside of SimWriter, shared by its bus (presence, handles, transfers:
// SimBus.cpp), its two firmwares (SimFirmware.cpp) and its public face
// (SimWriter.cpp). Every member is guarded by `mutex`.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/HidPlatform.h"
#include "sim/SimProtocol.h"
#include "sim/SimWriter.h"

namespace vantrel::sim {

using Report64 = std::array<uint8_t, 64>;

struct SimWriter::State {
    State(IClock& clock, SimOptions options);

    // ---- Bus (SimBus.cpp) ---------------------------------------------------------
    bool EnumerateInterfaces(std::vector<std::wstring>& paths);
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes);
    HidHandle Open(const std::wstring& path, bool forRead);
    void Close(HidHandle handle);
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred);
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred);

    // Milliseconds on the writer's clock (64-bit, without moving a virtual clock).
    uint64_t Now();
    // Carries out a re-enumeration whose time has come.
    void ApplyDue();
    // The writer leaves the bus now: a removal event, handles go dead.
    void Leave();
    // The writer arrives now in `mode`: a new device instance, an arrival event.
    void Arrive(SimMode mode);
    // Input reports go to every open read handle of the present device instance.
    void QueueReply(const Report64& reply);
    void AddTrace(std::string line);
    void AddAnomaly(std::string text);

    // ---- Firmware (SimFirmware.cpp) -----------------------------------------------
    // Takes one 64-byte output report that the present firmware received. Returns
    // false when the report is not accepted at all (a silent write-only command):
    // the caller then lets the write time out.
    bool Receive(const uint8_t* data, bool bootLoaderHandle);
    bool HasFault(Fault::Kind kind, const std::string& name, int occurrence) const;
    void ExecuteApplication(const SimCommandInfo& command, int occurrence, const uint8_t* data);
    void ExecuteBootLoader(const SimCommandInfo& command, int occurrence, const uint8_t* data);
    void TakeData(const uint8_t* data);
    uint32_t PageChecksum(uint32_t address) const;
    const std::wstring& PathOf(SimMode mode);
    bool InterfaceLocation(const std::wstring& path, std::wstring& location);

    IClock& clock;
    VirtualClock* virtualClock;  // the same clock, when it is a virtual one
    SimOptions options;
    std::wstring applicationPath;
    std::wstring bootLoaderPath;
    std::mutex mutex;

    SimMode mode = SimMode::Absent;
    uint64_t instance = 0;  // counts arrivals; handles of an earlier instance are dead
    struct ScheduledArrival {
        uint64_t due;
        SimMode mode;
    };
    std::optional<ScheduledArrival> pendingArrival;
    std::deque<DeviceChange> events;
    uint32_t lastTick = 0;
    uint64_t tickHigh = 0;

    struct Handle {
        uint64_t instance;
        bool bootLoader;  // opened on the boot loader's interface
        bool forRead;
        std::deque<Report64> input;
    };
    std::map<HidHandle, Handle> handles;
    HidHandle nextHandle = 0x100;

    // Data reports that the firmware still expects after a bulk command.
    struct PendingData {
        const SimCommandInfo* command;
        int remaining;
        size_t recordIndex;  // SIZE_MAX once the record was cleared
        bool program;        // program the collected page at `address`
        uint32_t address;
        std::vector<uint8_t> bytes;
    };
    std::optional<PendingData> pendingData;

    std::vector<uint8_t> aprom;
    std::map<std::string, int> occurrences;
    std::vector<RecordedCommand> record;
    std::vector<std::string> anomalies;
    std::vector<std::string> trace;
    std::function<void(const std::string&)> traceSink;
};

}  // namespace vantrel::sim
