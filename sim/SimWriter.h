#pragma once
// SimWriter: an emulation of the writer's two firmwares behind the HID platform
// interface. The application (HID version 0x0100) answers the configuration
// commands and QueryWriterLevel and restarts into the boot loader on EnterLdrom;
// the boot loader (HID version 0x8888) keeps a 69,632-byte APROM, erases,
// programs and checksums its pages and restarts into the application on
// SystemReset. Commands are decoded from the wire bytes with the writer's own
// table (sim/SimProtocol.h), independent of the tool's encoders.
//
// Thread-safe: the worker thread and the user-interface thread may both use it.
// It never pauses except where a transfer waits out its time-out on the clock.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Clock.h"
#include "common/DeviceChange.h"
#include "link/HidPlatform.h"
#include "sim/SimOptions.h"

namespace vantrel::sim {

enum class SimMode { Absent, Application, BootLoader };

// One command as the writer received it.
struct RecordedCommand {
    SimMode mode = SimMode::Application;        // which firmware received it
    std::string name;                           // protocol name, or "Unknown"
    bool known = false;                         // false: the firmware does not know it
    int occurrence = 0;                         // 1 for the first command of this name
    std::array<uint8_t, 64> bytes{};            // the 64 command bytes
    std::vector<std::array<uint8_t, 64>> data;  // the data reports that followed
};

class SimWriter {
public:
    SimWriter(IClock& clock, SimOptions options);
    ~SimWriter();
    SimWriter(const SimWriter&) = delete;
    SimWriter& operator=(const SimWriter&) = delete;

    // The HID platform through which CHidDevice reaches this writer (and, first in
    // the enumeration, two unrelated HID interfaces).
    IHidPlatform& Platform();

    // Interface paths of the two modes (of the writer at index 1), and of the
    // unrelated interfaces.
    static const std::wstring& ApplicationPath();
    static const std::wstring& BootLoaderPath();
    static const std::vector<std::wstring>& OtherInterfacePaths();
    // The interface path of `mode` (Application or BootLoader) of the writer at
    // `index`, and the location of that writer ("sim-<index>").
    static std::wstring InterfacePath(int index, SimMode mode);
    static std::wstring LocationAt(int index);
    // The index of the writer at `location` ("sim-2": 2); 0 when it names none.
    static int IndexAt(const std::wstring& location);
    int Index() const;

    // ---- Device events --------------------------------------------------------
    // Arrivals and removals whose time has come on the clock, oldest first; each is
    // returned once.
    std::vector<DeviceChange> TakeDueEvents();
    // Milliseconds until the next event is due (0 when one is due now); nothing
    // when no event is waiting or scheduled.
    std::optional<uint32_t> NextEventDueIn();

    // ---- Test controls ----------------------------------------------------------
    // Mode now (after any re-enumeration whose time has come).
    SimMode Mode();
    // The writer leaves the bus now (removal event); a scheduled arrival is dropped.
    void Unplug();
    // The writer arrives now in `mode` (after leaving first if it is present).
    void PlugIn(SimMode mode);
    void SetLevel(uint32_t level);
    std::vector<uint8_t> Aprom();
    // false (and nothing changes) unless `aprom` holds exactly kApromSize bytes.
    bool SetAprom(const std::vector<uint8_t>& aprom);
    void AddFault(const Fault& fault);
    void ClearFaults();

    // ---- What crossed the link ------------------------------------------------------
    std::vector<RecordedCommand> RecordedCommands();
    // Names of the recorded commands in order (e.g. "ConnectWriter", "DownData").
    std::vector<std::string> RecordedNames();
    void ClearRecord();
    // Protocol violations seen: unknown commands, reports that are not 65 bytes with
    // report id 0, length fields that do not fit the command, closes of handles that
    // are not open. A correct tool leaves this empty.
    std::vector<std::string> Anomalies();
    // Handles opened and not yet closed.
    int OpenHandleCount();

    // Every report in both directions, in order: "OUT app <hex>", "IN boot <hex>".
    std::vector<std::string> Trace();
    void ClearTrace();
    // Also hands each trace line to `sink` as it is made (under the writer's lock:
    // the sink must not call back into the writer).
    void SetTraceSink(std::function<void(const std::string&)> sink);

private:
    friend class SimHidPlatform;
    struct State;
    std::unique_ptr<State> m_state;
    std::unique_ptr<IHidPlatform> m_platform;
};

}  // namespace vantrel::sim
