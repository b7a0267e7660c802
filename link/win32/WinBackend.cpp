// The Windows backend: the SetupAPI/HID platform.
//
// A console program has no window to receive WM_DEVICECHANGE. With the policy's
// rememberInterfaces (the command-line tool), a message-only window on a thread of
// its own receives the arrivals and removals of HID interfaces, and while none came
// Open reuses the interface list of its last enumeration (RememberingPlatform),
// which spares it a full enumeration per transaction. Where that window cannot
// register for notifications, or without the policy, the HID interfaces present
// are compared every 250 ms and the differences handed to presence tracking as
// the notifications Windows would have sent, and every Open enumerates. The dialog
// receives the system's own notifications and keeps a full enumeration per Open.

#include <memory>

#include "link/DeviceChangeCount.h"
#include "link/OsBackend.h"
#include "link/RememberingPlatform.h"
#include "link/win32/DeviceChangeWindow.h"
#include "link/win32/WinHidPlatform.h"

namespace vantrel {

namespace {

// The notifications of the message-only window, as presence tracking takes them.
class WindowEvents : public IDeviceEventSource {
public:
    explicit WindowEvents(win32::DeviceChangeWindow& window) : m_window(window) {}
    std::vector<DeviceChange> TakeEvents() override { return m_window.TakeChanges(); }

private:
    win32::DeviceChangeWindow& m_window;
};

class WinBackend : public OsBackend {
public:
    explicit WinBackend(const OsBackendPolicy& policy) {
        if (!policy.rememberInterfaces) return;
        m_window = std::make_unique<win32::DeviceChangeWindow>(m_changes);
        if (!m_window->IsListening()) {
            m_window.reset();
            return;
        }
        m_remembering = std::make_unique<RememberingPlatform>(
            m_platform, m_changes, policy.freshVendorId, policy.freshProductId);
    }

    IHidPlatform& Platform() override {
        if (m_remembering) return *m_remembering;
        return m_platform;
    }
    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform, IClock& clock) override {
        if (m_window) return std::make_unique<WindowEvents>(*m_window);
        return std::make_unique<PollingDeviceEvents>(platform, clock, kDevicePollIntervalMs);
    }

private:
    win32::WinHidPlatform m_platform;
    DeviceChangeCount m_changes;
    std::unique_ptr<win32::DeviceChangeWindow> m_window;
    std::unique_ptr<RememberingPlatform> m_remembering;
};

}  // namespace

std::unique_ptr<OsBackend> MakeOsBackend(const OsBackendPolicy& policy) {
    return std::make_unique<WinBackend>(policy);
}

}  // namespace vantrel
