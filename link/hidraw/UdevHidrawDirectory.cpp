#include "link/hidraw/UdevHidrawDirectory.h"

#include <dirent.h>
#include <libudev.h>
#include <limits.h>
#include <stdlib.h>

#include <cerrno>
#include <memory>

#include "link/hidraw/HidrawNames.h"

namespace vantrel::hidraw {

namespace {

struct UdevDeviceUnref {
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

}  // namespace

UdevHidrawDirectory::UdevHidrawDirectory(std::string classDir)
    : m_classDir(std::move(classDir)), m_udev(udev_new()) {}

UdevHidrawDirectory::~UdevHidrawDirectory() {
    if (m_udev != nullptr) udev_unref(m_udev);
}

bool UdevHidrawDirectory::Resolve(const std::string& syspath, HidrawNode& node) {
    std::unique_ptr<udev_device, UdevDeviceUnref> device(
        udev_device_new_from_syspath(m_udev, syspath.c_str()));
    if (!device) return false;
    node = HidrawNode{};
    node.syspath = Text(udev_device_get_syspath(device.get()));
    node.devnode = Text(udev_device_get_devnode(device.get()));
    if (node.devnode.empty()) return false;

    // Parents belong to the child device: no unref.
    if (udev_device* hid =
            udev_device_get_parent_with_subsystem_devtype(device.get(), "hid", nullptr)) {
        node.hasIds = ParseHidId(Text(udev_device_get_property_value(hid, "HID_ID")), node.vendorId,
                                 node.productId);
    }
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device")) {
        if (!node.hasIds) {
            node.hasIds =
                ParseHex16(Text(udev_device_get_sysattr_value(usb, "idVendor")), node.vendorId) &&
                ParseHex16(Text(udev_device_get_sysattr_value(usb, "idProduct")), node.productId);
        }
        uint16_t version = 0;
        if (ParseHex16(Text(udev_device_get_sysattr_value(usb, "bcdDevice")), version))
            node.versionNumber = version;
        node.usbLocation = Text(udev_device_get_sysname(usb));
    }
    return true;
}

bool UdevHidrawDirectory::List(std::vector<HidrawNode>& nodes) {
    nodes.clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_udev == nullptr) return false;
    std::vector<std::string> syspaths;
    if (DIR* dir = ::opendir(m_classDir.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            char resolved[PATH_MAX];
            const std::string link = m_classDir + "/" + entry->d_name;
            if (::realpath(link.c_str(), resolved) != nullptr) syspaths.emplace_back(resolved);
        }
        ::closedir(dir);
    } else if (errno != ENOENT) {
        return false;  // no hidraw driver at all is no node, not a failure
    }
    nodes = m_cache.Nodes(
        std::move(syspaths),
        [this](const std::string& syspath, HidrawNode& node) { return Resolve(syspath, node); });
    return true;
}

}  // namespace vantrel::hidraw
