#include "link/hidraw/SysfsHidrawDirectory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "link/hidraw/HidrawNames.h"

namespace fs = std::filesystem;

namespace vantrel::hidraw {

namespace {

std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::string();
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of KEY=value in a uevent file; empty when absent.
std::string UeventValue(const fs::path& dir, const std::string& key) {
    std::istringstream lines(ReadText(dir / "uevent"));
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    return std::string();
}

bool Within(const fs::path& path, const fs::path& root) {
    auto [rootEnd, pathIt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end();
}

}  // namespace

SysfsHidrawDirectory::SysfsHidrawDirectory(std::string sysRoot, std::string devRoot)
    : m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot)) {}

bool SysfsHidrawDirectory::List(std::vector<HidrawNode>& nodes) {
    nodes.clear();
    std::error_code error;
    const fs::path root = fs::canonical(m_sysRoot, error);
    if (error) return false;
    const fs::path classDir = root / "class" / "hidraw";
    if (!fs::exists(classDir, error)) return true;  // no hidraw driver: no nodes
    fs::directory_iterator entries(classDir, error);
    if (error) return false;

    for (const fs::directory_entry& entry : entries) {
        std::error_code entryError;
        const fs::path syspath = fs::canonical(entry.path(), entryError);
        if (entryError || !Within(syspath, root)) continue;

        HidrawNode node;
        node.syspath = syspath.string();
        std::string devName = UeventValue(syspath, "DEVNAME");
        if (devName.empty()) devName = entry.path().filename().string();
        node.devnode = m_devRoot + "/" + devName;

        for (fs::path dir = syspath.parent_path(); Within(dir, root) && dir != root;
             dir = dir.parent_path()) {
            if (!node.hasIds) {
                const std::string hidId = UeventValue(dir, "HID_ID");
                if (!hidId.empty()) node.hasIds = ParseHidId(hidId, node.vendorId, node.productId);
            }
            if (UeventValue(dir, "DEVTYPE") == "usb_device") {
                if (!node.hasIds) {
                    node.hasIds = ParseHex16(ReadText(dir / "idVendor"), node.vendorId) &&
                                  ParseHex16(ReadText(dir / "idProduct"), node.productId);
                }
                uint16_t version = 0;
                if (ParseHex16(ReadText(dir / "bcdDevice"), version)) node.versionNumber = version;
                node.usbLocation = dir.filename().string();
                break;
            }
        }
        nodes.push_back(std::move(node));
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const HidrawNode& a, const HidrawNode& b) { return a.syspath < b.syspath; });
    return true;
}

}  // namespace vantrel::hidraw
