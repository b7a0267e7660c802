#pragma once
// The HID platform on Linux: hidraw device nodes. Interfaces are the hidraw nodes
// in the directory's order, named as HidrawNames.h describes; the attributes are
// the HID device's vendor and product ids and the USB device's bcdDevice as the
// version number. Reads and writes wait with poll() and never leave a request
// outstanding: a transfer that timed out simply did not happen.
//
// hidraw hands over the reports of a device without numbered reports without a
// report id; reads put the report id 0 in front, so that a read delivers what the
// same read delivers on Windows (report id, then the report's bytes).

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/HidPlatform.h"
#include "link/hidraw/HidrawDirectory.h"

namespace vantrel::hidraw {

// A writer node that exists but cannot be opened for reading and writing.
struct InaccessibleNode {
    std::string devnode;
    int error = 0;  // errno of the failed open
};

class HidrawPlatform : public IHidPlatform {
public:
    // With libudev's view of the running system.
    HidrawPlatform();
    explicit HidrawPlatform(std::unique_ptr<IHidrawDirectory> directory);

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

    // Nodes of the device vendorId:productId (the writer, in either mode) that are
    // present but cannot be opened for reading and writing, e.g. for want of
    // permission.
    std::vector<InaccessibleNode> InaccessibleWriterNodes(uint16_t vendorId = 0x0416,
                                                          uint16_t productId = 0x5020);

private:
    bool FindNode(const std::wstring& path, HidrawNode& node);

    std::unique_ptr<IHidrawDirectory> m_directory;
    // The nodes as of the last enumeration. The lock lets a notification source on
    // another thread enumerate while a job uses the link.
    std::mutex m_nodesMutex;
    std::vector<HidrawNode> m_nodes;
};

}  // namespace vantrel::hidraw
