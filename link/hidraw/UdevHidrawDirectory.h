#pragma once
// The hidraw nodes of the running system, found with libudev: the devices of
// subsystem "hidraw", their HID parent (HID_ID) and their USB device parent
// (idVendor, idProduct, bcdDevice).

#include "link/hidraw/HidrawDirectory.h"

namespace vantrel::hidraw {

class UdevHidrawDirectory : public IHidrawDirectory {
public:
    bool List(std::vector<HidrawNode>& nodes) override;
};

}  // namespace vantrel::hidraw
