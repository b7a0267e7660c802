#include "app/DevicePass.h"

#include "app/VantrelCore.h"

namespace vantrel {

void RunDevicePass(CVantrelCore& core, const std::vector<DeviceChange>& changes,
                   bool deferredCheckDue) {
    for (const DeviceChange& change : changes)
        core.OnDeviceChange(change.eventType, &change.broadcast);
    if (deferredCheckDue) core.ProcessDeferredDeviceChanges();
}

}  // namespace vantrel
