// The Windows backend: the SetupAPI/HID platform. A console program has no window
// to receive WM_DEVICECHANGE; rather than create a hidden one and pump its
// messages, the HID interfaces present are compared every 250 ms and the
// differences handed to presence tracking as the notifications Windows would
// have sent. The dialog receives the system's own notifications instead.

#include "link/OsBackend.h"
#include "link/win32/WinHidPlatform.h"

namespace vantrel {

namespace {

class WinBackend : public OsBackend {
public:
    IHidPlatform& Platform() override { return m_platform; }
    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform, IClock& clock) override {
        return std::make_unique<PollingDeviceEvents>(platform, clock, kDevicePollIntervalMs);
    }

private:
    win32::WinHidPlatform m_platform;
};

}  // namespace

std::unique_ptr<OsBackend> MakeOsBackend() { return std::make_unique<WinBackend>(); }

}  // namespace vantrel
