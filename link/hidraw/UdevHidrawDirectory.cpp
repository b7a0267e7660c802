#include "link/hidraw/UdevHidrawDirectory.h"

#include <libudev.h>

#include <algorithm>
#include <memory>

#include "link/hidraw/HidrawNames.h"

namespace vantrel::hidraw {

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

}  // namespace

bool UdevHidrawDirectory::List(std::vector<HidrawNode>& nodes) {
    nodes.clear();
    std::unique_ptr<udev, UdevUnref> context(udev_new());
    if (!context) return false;
    std::unique_ptr<udev_enumerate, UdevUnref> enumeration(udev_enumerate_new(context.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
        return false;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        std::unique_ptr<udev_device, UdevUnref> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device) continue;
        HidrawNode node;
        node.syspath = Text(udev_device_get_syspath(device.get()));
        node.devnode = Text(udev_device_get_devnode(device.get()));
        if (node.devnode.empty()) continue;

        // Parents belong to the child device: no unref.
        if (udev_device* hid =
                udev_device_get_parent_with_subsystem_devtype(device.get(), "hid", nullptr)) {
            node.hasIds = ParseHidId(Text(udev_device_get_property_value(hid, "HID_ID")),
                                     node.vendorId, node.productId);
        }
        if (udev_device* usb =
                udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device")) {
            if (!node.hasIds) {
                node.hasIds = ParseHex16(Text(udev_device_get_sysattr_value(usb, "idVendor")),
                                         node.vendorId) &&
                              ParseHex16(Text(udev_device_get_sysattr_value(usb, "idProduct")),
                                         node.productId);
            }
            uint16_t version = 0;
            if (ParseHex16(Text(udev_device_get_sysattr_value(usb, "bcdDevice")), version))
                node.versionNumber = version;
            node.usbLocation = Text(udev_device_get_sysname(usb));
        }
        nodes.push_back(std::move(node));
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const HidrawNode& a, const HidrawNode& b) { return a.syspath < b.syspath; });
    return true;
}

}  // namespace vantrel::hidraw
