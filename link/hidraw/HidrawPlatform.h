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

#include <map>
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
    ~HidrawPlatform() override;
    HidrawPlatform(const HidrawPlatform&) = delete;
    HidrawPlatform& operator=(const HidrawPlatform&) = delete;

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;
    std::string DeviceNodeOf(const std::wstring& path) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

    // Nodes of the device vendorId:productId that are present but cannot be opened
    // for reading and writing, e.g. for want of permission.
    std::vector<InaccessibleNode> InaccessibleNodes(uint16_t vendorId, uint16_t productId);

private:
    bool FindNode(const std::wstring& path, HidrawNode& node);
    // Keeps a file open on the device node of `path` (see m_held).
    void Hold(const std::wstring& path, int openedFd);
    // Closes the held files of nodes that are not in `present`.
    void ReleaseGone(const std::vector<std::wstring>& present);

    std::unique_ptr<IHidrawDirectory> m_directory;
    // The nodes as of the last enumeration. The lock lets a notification source on
    // another thread enumerate while a job uses the link.
    std::mutex m_nodesMutex;
    std::vector<HidrawNode> m_nodes;
    // usbhid starts polling a device when the first file on it opens, and then
    // waits 50 ms before it lets input through; when the last one closes it stops.
    // Every transaction opens and closes the node, so each would pay that wait. The
    // platform keeps one read file open on each device node it has opened, until
    // the node is no longer listed; the device is then polled all the time, as
    // Windows' HID driver does, and only the first transaction waits. Reports that
    // arrive between transactions fill that file's buffer, never a transaction's.
    std::mutex m_heldMutex;
    std::map<std::wstring, int> m_held;
};

}  // namespace vantrel::hidraw
