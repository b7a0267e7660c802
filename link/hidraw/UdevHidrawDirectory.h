#pragma once
// The hidraw nodes of the running system: the entries of /sys/class/hidraw, each
// read once with libudev (its HID parent's HID_ID, its USB device parent's
// idVendor, idProduct and bcdDevice) and remembered while it stays listed
// (HidrawNodeCache.h). Listing then costs a directory read, not a walk of every
// node's parents, which matters because every transaction enumerates.

#include <mutex>
#include <string>

#include "link/hidraw/HidrawDirectory.h"
#include "link/hidraw/HidrawNodeCache.h"

struct udev;

namespace vantrel::hidraw {

class UdevHidrawDirectory : public IHidrawDirectory {
public:
    explicit UdevHidrawDirectory(std::string classDir = "/sys/class/hidraw");
    ~UdevHidrawDirectory() override;
    UdevHidrawDirectory(const UdevHidrawDirectory&) = delete;
    UdevHidrawDirectory& operator=(const UdevHidrawDirectory&) = delete;

    bool List(std::vector<HidrawNode>& nodes) override;

private:
    bool Resolve(const std::string& syspath, HidrawNode& node);

    std::string m_classDir;
    std::mutex m_mutex;  // List may be called from both threads
    udev* m_udev = nullptr;
    HidrawNodeCache m_cache;
};

}  // namespace vantrel::hidraw
