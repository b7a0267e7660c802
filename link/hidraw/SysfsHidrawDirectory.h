#pragma once
// The hidraw nodes of a sysfs tree, read from its files: <sysRoot>/class/hidraw/*
// lead to the nodes, the nearest ancestor whose uevent holds HID_ID is the HID
// device, and the nearest one whose uevent says DEVTYPE=usb_device is the USB
// device (idVendor, idProduct, bcdDevice). Device nodes are <devRoot>/<DEVNAME>.

#include <string>

#include "link/hidraw/HidrawDirectory.h"

namespace vantrel::hidraw {

class SysfsHidrawDirectory : public IHidrawDirectory {
public:
    explicit SysfsHidrawDirectory(std::string sysRoot = "/sys", std::string devRoot = "/dev");
    bool List(std::vector<HidrawNode>& nodes) override;

private:
    std::string m_sysRoot;
    std::string m_devRoot;
};

}  // namespace vantrel::hidraw
