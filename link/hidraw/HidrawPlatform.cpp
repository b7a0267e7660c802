#include "link/hidraw/HidrawPlatform.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/hidraw/HidrawNames.h"
#include "link/hidraw/UdevHidrawDirectory.h"

namespace vantrel::hidraw {

namespace {

using Clock = std::chrono::steady_clock;

HidHandle OpenNode(const std::wstring& path, int flags) {
    const std::string devnode = DevnodeOf(path);
    if (devnode.empty()) return kInvalidHidHandle;
    const int fd = ::open(devnode.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    return fd < 0 ? kInvalidHidHandle : static_cast<HidHandle>(fd);
}

enum class Ready { Yes, TimedOut, Gone, BadHandle };

// Waits until `fd` is ready for `events`, at most until `deadline`.
Ready WaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        const int result = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (result < 0) {
            if (errno == EINTR) continue;
            return Ready::BadHandle;
        }
        if (result == 0) return Ready::TimedOut;
        if (entry.revents & POLLNVAL) return Ready::BadHandle;
        if (entry.revents & events) return Ready::Yes;
        return Ready::Gone;  // POLLERR / POLLHUP: the device has gone
    }
}

// The outcome of a transfer whose wait for the device did not end ready.
HidIo OutcomeOfWait(Ready ready) {
    switch (ready) {
        case Ready::TimedOut:
            return HidIo::TimedOut;
        case Ready::BadHandle:
            return HidIo::Refused;
        default:
            return HidIo::CompletedWithError;  // the device has gone
    }
}

Clock::time_point DeadlineIn(uint32_t timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

HidrawPlatform::HidrawPlatform() : m_directory(std::make_unique<UdevHidrawDirectory>()) {}

HidrawPlatform::HidrawPlatform(std::unique_ptr<IHidrawDirectory> directory)
    : m_directory(std::move(directory)) {}

HidrawPlatform::~HidrawPlatform() {
    for (const auto& [path, fd] : m_held) ::close(fd);
}

void HidrawPlatform::Hold(const std::wstring& path, int openedFd) {
    // Only device nodes: a FIFO (as in the tests) would lose data to a second reader.
    struct stat status;
    if (::fstat(openedFd, &status) != 0 || !S_ISCHR(status.st_mode)) return;
    std::lock_guard<std::mutex> lock(m_heldMutex);
    if (m_held.count(path) != 0) return;
    const HidHandle held = OpenNode(path, O_RDONLY);
    if (held != kInvalidHidHandle) m_held.emplace(path, static_cast<int>(held));
}

void HidrawPlatform::ReleaseGone(const std::vector<std::wstring>& present) {
    std::lock_guard<std::mutex> lock(m_heldMutex);
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (std::find(present.begin(), present.end(), it->first) == present.end()) {
            // Also frees the node's number, which the kernel keeps while a file is open.
            ::close(it->second);
            it = m_held.erase(it);
        } else {
            ++it;
        }
    }
}

bool HidrawPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    paths.clear();
    std::lock_guard<std::mutex> lock(m_nodesMutex);
    if (!m_directory->List(m_nodes)) {
        m_nodes.clear();
        return false;
    }
    for (const HidrawNode& node : m_nodes)
        paths.push_back(InterfaceName(node.syspath, node.devnode));
    ReleaseGone(paths);
    return true;
}

bool HidrawPlatform::FindNode(const std::wstring& path, HidrawNode& node) {
    std::lock_guard<std::mutex> lock(m_nodesMutex);
    for (int pass = 0; pass < 2; ++pass) {
        for (const HidrawNode& candidate : m_nodes) {
            if (InterfaceName(candidate.syspath, candidate.devnode) == path) {
                node = candidate;
                return true;
            }
        }
        // Not in the last enumeration: look again once.
        if (pass == 0 && !m_directory->List(m_nodes)) m_nodes.clear();
    }
    return false;
}

bool HidrawPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    HidrawNode node;
    if (!FindNode(path, node) || !node.hasIds) return false;
    // Opened without access rights, only to see that the node is still there.
    const int fd = ::open(node.devnode.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    attributes.vendorId = node.vendorId;
    attributes.productId = node.productId;
    attributes.versionNumber = node.versionNumber;
    return true;
}

std::string HidrawPlatform::DeviceNodeOf(const std::wstring& path) { return DevnodeOf(path); }

bool HidrawPlatform::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    location.clear();
    HidrawNode node;
    if (!FindNode(path, node) || node.usbLocation.empty()) return false;
    location.assign(node.usbLocation.begin(), node.usbLocation.end());
    return true;
}

HidHandle HidrawPlatform::OpenForRead(const std::wstring& path) {
    const HidHandle handle = OpenNode(path, O_RDONLY);
    if (handle != kInvalidHidHandle) Hold(path, static_cast<int>(handle));
    return handle;
}

HidHandle HidrawPlatform::OpenForWrite(const std::wstring& path) {
    return OpenNode(path, O_WRONLY);
}

void HidrawPlatform::Close(HidHandle handle) {
    if (handle != kInvalidHidHandle) ::close(static_cast<int>(handle));
}

HidIo HidrawPlatform::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                            uint32_t timeoutMs, uint32_t& transferred) {
    transferred = 0;
    const int fd = static_cast<int>(handle);
    if (handle == kInvalidHidHandle) return HidIo::Refused;
    const auto deadline = DeadlineIn(timeoutMs);
    for (;;) {
        const Ready ready = WaitReady(fd, POLLOUT, deadline);
        if (ready != Ready::Yes) return OutcomeOfWait(ready);
        const ssize_t written = ::write(fd, report, length);
        if (written >= 0) {
            transferred = static_cast<uint32_t>(written);
            return HidIo::Completed;
        }
        if (errno == EAGAIN || errno == EINTR) continue;
        return errno == EBADF ? HidIo::Refused : HidIo::CompletedWithError;
    }
}

HidIo HidrawPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                           uint32_t& transferred) {
    transferred = 0;
    const int fd = static_cast<int>(handle);
    if (handle == kInvalidHidHandle || length < 1) return HidIo::Refused;
    const auto deadline = DeadlineIn(timeoutMs);
    for (;;) {
        const Ready ready = WaitReady(fd, POLLIN, deadline);
        if (ready != Ready::Yes) return OutcomeOfWait(ready);
        const ssize_t got = ::read(fd, report + 1, length - 1);
        if (got > 0) {
            report[0] = 0;  // the report id that hidraw leaves out
            transferred = static_cast<uint32_t>(got) + 1;
            return HidIo::Completed;
        }
        if (got == 0) return HidIo::CompletedWithError;  // end of file: the device has gone
        if (errno == EAGAIN || errno == EINTR) continue;
        return errno == EBADF ? HidIo::Refused : HidIo::CompletedWithError;
    }
}

std::vector<InaccessibleNode> HidrawPlatform::InaccessibleNodes(uint16_t vendorId,
                                                                uint16_t productId) {
    std::vector<InaccessibleNode> found;
    std::vector<HidrawNode> nodes;
    if (!m_directory->List(nodes)) return found;
    for (const HidrawNode& node : nodes) {
        if (!node.hasIds || node.vendorId != vendorId || node.productId != productId) continue;
        const int fd = ::open(node.devnode.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            continue;
        }
        if (errno != ENOENT) found.push_back(InaccessibleNode{node.devnode, errno});
    }
    return found;
}

}  // namespace vantrel::hidraw
