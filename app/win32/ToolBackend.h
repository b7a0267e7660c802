#pragma once
// What differs between the two builds of the dialog tool: Vantrel.exe talks to a
// real writer through the system's HID interfaces and receives device
// notifications from the system; VantrelSim.exe talks to the simulated writer,
// whose arrivals and removals the dialog collects with a timer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/DeviceChange.h"
#include "link/ClaimingPlatform.h"
#include "link/HidPlatform.h"

namespace vantrel::win32 {

class IToolBackend {
public:
    virtual ~IToolBackend() = default;

    virtual IHidPlatform& Platform() = 0;
    virtual IClock& Clock() = 0;
    // The executable name under which the tool finds itself among the processes.
    virtual const wchar_t* ProcessImageName() const = 0;
    // How often the dialog collects device events; 0: the system delivers them.
    virtual uint32_t DeviceEventIntervalMs() const { return 0; }
    // Device events that are due now, oldest first (user-interface thread).
    virtual std::vector<DeviceChange> TakeDueDeviceEvents() { return {}; }
    // The layer of Platform() that opens the writer under its claim, which each job
    // holds from start to end; null where no other process can reach the writer.
    virtual ClaimingPlatform* ClaimScope() { return nullptr; }
};

// Defined once per executable.
std::unique_ptr<IToolBackend> CreateToolBackend();

}  // namespace vantrel::win32
