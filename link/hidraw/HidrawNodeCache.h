#pragma once
// What is known of each hidraw node, kept while the node stays listed.
//
// A node's sysfs path names its HID device instance
// (…/0003:0416:5020.0007/hidraw/hidraw3), and the kernel makes a new instance for
// every attachment, a writer's restart included. So the facts behind one path (ids,
// bcdDevice, device node) never change while it exists: each node is read once,
// not on every enumeration.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/hidraw/HidrawDirectory.h"

namespace vantrel::hidraw {

class HidrawNodeCache {
public:
    // Reads the facts of the node at `syspath`; false when it cannot be read (the
    // node went away meanwhile): it is then neither listed nor remembered.
    using Resolver = std::function<bool(const std::string& syspath, HidrawNode& node)>;

    // The nodes at `syspaths` (in any order), ordered by sysfs path. Paths not seen
    // before are resolved; nodes no longer listed are forgotten.
    std::vector<HidrawNode> Nodes(std::vector<std::string> syspaths, const Resolver& resolve);

private:
    std::map<std::string, HidrawNode> m_known;
};

}  // namespace vantrel::hidraw
