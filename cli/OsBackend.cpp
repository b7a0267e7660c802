// The operating system's HID backend for the CLI.
//
// Linux: the hidraw platform, and a udev monitor for arrivals and removals.
// Windows: the SetupAPI/HID platform. A message-only window on a thread of its own
// receives the arrivals and removals of HID interfaces; while none came, Open reuses
// the interface list of its last enumeration (RememberingPlatform), which spares it
// a full enumeration per transaction. Where the window cannot register for
// notifications, the CLI compares the HID interfaces present every 250 ms, hands
// the differences to presence tracking as the notifications Windows would have sent,
// and every Open enumerates.

#include "cli/OsBackend.h"

#include "cli/AccessHint.h"

#ifdef _WIN32
#include "link/RememberingPlatform.h"
#include "link/win32/DeviceChangeWindow.h"
#include "link/win32/WinHidPlatform.h"
#include "upgrade/BootLoaderCommands.h"
#else
#include "link/hidraw/HidrawMonitor.h"
#include "link/hidraw/HidrawPlatform.h"
#endif

namespace vantrel::cli {

namespace {

constexpr uint32_t kPollIntervalMs = 250;

#ifdef _WIN32

class WindowEvents : public IDeviceEventSource {
public:
    explicit WindowEvents(win32::DeviceChangeWindow& window) : m_window(window) {}
    std::vector<DeviceEvent> TakeEvents() override {
        std::vector<DeviceEvent> events;
        for (win32::InterfaceChange& change : m_window.TakeChanges()) {
            events.emplace_back(change.eventType,
                                DeviceBroadcast{kDbtDevtypDeviceInterface, std::move(change.name)});
        }
        return events;
    }

private:
    win32::DeviceChangeWindow& m_window;
};

class WindowsBackend : public OsBackend {
public:
    IHidPlatform& Platform() override {
        if (m_window.IsListening()) return m_remembering;
        return m_platform;
    }
    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform, IClock& clock) override {
        if (m_window.IsListening()) return std::make_unique<WindowEvents>(m_window);
        return std::make_unique<PollingDeviceEvents>(platform, clock, kPollIntervalMs);
    }

private:
    win32::WinHidPlatform m_platform;
    DeviceChangeCount m_changes;
    win32::DeviceChangeWindow m_window{m_changes};
    RememberingPlatform m_remembering{m_platform, m_changes, kBootLoaderVendorId,
                                      kBootLoaderProductId};
};

#else

class UdevDeviceEvents : public IDeviceEventSource {
public:
    std::vector<DeviceEvent> TakeEvents() override {
        std::vector<DeviceEvent> events;
        for (const hidraw::HidrawDeviceChange& change : m_monitor.TakeChanges(0)) {
            events.emplace_back(change.eventType, DeviceBroadcast{change.deviceType, change.name});
        }
        return events;
    }
    bool IsListening() const { return m_monitor.IsListening(); }

private:
    hidraw::HidrawMonitor m_monitor;
};

class LinuxBackend : public OsBackend {
public:
    IHidPlatform& Platform() override { return m_platform; }

    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform, IClock& clock) override {
        auto udev = std::make_unique<UdevDeviceEvents>();
        if (udev->IsListening()) return udev;
        // Without a udev monitor (a container, for instance) the set of nodes is
        // compared from one look to the next instead.
        return std::make_unique<PollingDeviceEvents>(platform, clock, kPollIntervalMs);
    }

    std::wstring InaccessibleWriterHint() override {
        std::vector<UnopenableWriter> writers;
        for (const hidraw::InaccessibleNode& node : m_platform.InaccessibleWriterNodes()) {
            writers.push_back(UnopenableWriter{node.devnode, node.error});
        }
        if (writers.empty()) return std::wstring();
        return DescribeUnopenableWriters(writers, FindInstalledUdevRule(UdevRuleFolders()));
    }

private:
    hidraw::HidrawPlatform m_platform;
};

#endif

}  // namespace

std::unique_ptr<OsBackend> MakeOsBackend() {
#ifdef _WIN32
    return std::make_unique<WindowsBackend>();
#else
    return std::make_unique<LinuxBackend>();
#endif
}

}  // namespace vantrel::cli
