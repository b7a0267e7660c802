#pragma once
// Where the hidraw backend learns which hidraw nodes exist and what device each
// belongs to: libudev on a running system (UdevHidrawDirectory), or a sysfs tree
// read directly from a root directory (SysfsHidrawDirectory), which also lets the
// backend be tested against a fake tree.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::hidraw {

struct HidrawNode {
    std::string syspath;  // sysfs path of the hidraw node (…/0003:0416:5020.0007/hidraw/hidraw3)
    std::string devnode;  // its device node, e.g. /dev/hidraw3
    // From the HID device's HID_ID, or else from the USB device's idVendor/idProduct.
    bool hasIds = false;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    // The USB device's bcdDevice; 0 for a HID device that is not on USB.
    uint16_t versionNumber = 0;
    // The USB device's kernel name, its port path (e.g. "1-2.3"); empty when the
    // HID device is not on USB.
    std::string usbLocation;
};

class IHidrawDirectory {
public:
    virtual ~IHidrawDirectory() = default;
    // Every hidraw node present, ordered by sysfs path. false when the list cannot
    // be had at all.
    virtual bool List(std::vector<HidrawNode>& nodes) = 0;
};

}  // namespace vantrel::hidraw
