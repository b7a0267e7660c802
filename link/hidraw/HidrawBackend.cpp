// The Linux backend: the hidraw platform, and a udev monitor for arrivals and
// removals.

#include "link/OsBackend.h"
#include "link/hidraw/HidrawPlatform.h"
#include "link/hidraw/UdevDeviceEvents.h"

namespace vantrel {

namespace {

class HidrawBackend : public OsBackend {
public:
    IHidPlatform& Platform() override { return m_platform; }

    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform, IClock& clock) override {
        auto udev = std::make_unique<hidraw::UdevDeviceEvents>();
        if (udev->IsListening()) return udev;
        // Without a udev monitor (a container, for instance) the set of nodes is
        // compared from one look to the next instead.
        return std::make_unique<PollingDeviceEvents>(platform, clock, kDevicePollIntervalMs);
    }

    std::vector<UnopenableNode> UnopenableNodes(uint16_t vendorId, uint16_t productId) override {
        std::vector<UnopenableNode> nodes;
        for (const hidraw::InaccessibleNode& node :
             m_platform.InaccessibleNodes(vendorId, productId)) {
            nodes.push_back(UnopenableNode{node.devnode, node.error});
        }
        return nodes;
    }

private:
    hidraw::HidrawPlatform m_platform;
};

}  // namespace

// Open on hidraw keeps a full enumeration: the node cache already makes it cheap (see
// docs/DECISIONS.md), so the policy's rememberInterfaces changes nothing here.
std::unique_ptr<OsBackend> MakeOsBackend(const OsBackendPolicy& policy) {
    (void)policy;
    return std::make_unique<HidrawBackend>();
}

}  // namespace vantrel
