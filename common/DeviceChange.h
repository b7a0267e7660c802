#pragma once
// A device arrival or removal, as every source hands it to presence tracking: the
// system's notifications, the udev monitor, the comparison of interfaces from one
// look to the next, and the simulated writer.

#include <cstdint>
#include <string>

namespace vantrel {

// A device-change notification's header: the device type and, for device
// interfaces (kDbtDevtypDeviceInterface), the interface name (dbcc_name).
struct DeviceBroadcast {
    uint32_t deviceType = 0;
    std::wstring name;
};

// One notification: its event type (kDbtDeviceArrival, kDbtDeviceRemoveComplete)
// and its broadcast.
struct DeviceChange {
    uint32_t eventType = 0;
    DeviceBroadcast broadcast;
};

}  // namespace vantrel
