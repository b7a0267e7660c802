#include "cli/WriterSelection.h"

#include <cwctype>
#include <filesystem>

#include "app/VantrelCore.h"
#include "common/SilentView.h"
#include "upgrade/BootLoaderCommands.h"

#ifndef _WIN32
#include "common/Text.h"
#include "link/hidraw/HidrawNames.h"
#endif

namespace vantrel::cli {

namespace {

constexpr uint32_t kAwaitPollMs = 100;

// Windows paths and location paths are compared without regard to case.
std::wstring Folded(const std::wstring& text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return Folded(a) == Folded(b); }

bool IsWriter(const HidAttributes& attributes) {
    return attributes.vendorId == kBootLoaderVendorId &&
           attributes.productId == kBootLoaderProductId &&
           (attributes.versionNumber == kApplicationVersion ||
            attributes.versionNumber == kBootLoaderVersion);
}

bool IsWriterInterface(IHidPlatform& platform, const std::wstring& path, uint16_t& version) {
    HidAttributes attributes;
    if (!platform.QueryAttributes(path, attributes)) return false;
    version = attributes.versionNumber;
    return IsWriter(attributes);
}

// The device node that a selector names (as the permission hint names it,
// "/dev/hidraw3", or through a link to it); empty when it names none. Windows paths
// are no nodes.
std::string NodeOf(const std::wstring& selector) {
#ifdef _WIN32
    (void)selector;
    return std::string();
#else
    if (selector.empty() || selector.front() != L'/') return std::string();
    const std::string node = ToNativeBytes(selector);
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(node, error);
    return error ? node : target.string();
#endif
}

}  // namespace

SelectingPlatform::SelectingPlatform(IHidPlatform& inner, std::wstring selector)
    : m_inner(inner), m_selector(std::move(selector)), m_node(NodeOf(m_selector)) {}

bool SelectingPlatform::Named(const std::wstring& path) const {
    if (SameText(path, m_selector)) return true;
#ifndef _WIN32
    // A hidraw interface name ends with its device node.
    if (!m_node.empty() && hidraw::DevnodeOf(path) == m_node) return true;
#endif
    return false;
}

std::wstring SelectingPlatform::Location() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_location;
}

bool SelectingPlatform::Accepts(const std::wstring& path) { return Accepts(path, nullptr); }

bool SelectingPlatform::Accepts(const std::wstring& path, const std::vector<std::wstring>* listed) {
    std::wstring location;
    const bool known = m_inner.InterfaceLocation(path, location);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (known) {
        m_locationByPath[path] = location;
    } else {
        auto it = m_locationByPath.find(path);
        if (it != m_locationByPath.end()) location = it->second;
    }
    if (location.empty()) {
        lock.unlock();
        return AcceptsUnlocated(path, listed);
    }
    if (m_location.empty()) {
        // Chosen by its location, or by this very path: from now on the writer is
        // followed by the location of that path.
        if (SameText(location, m_selector) || Named(path)) {
            m_location = location;
            return true;
        }
        return false;
    }
    return SameText(location, m_location);
}

bool SelectingPlatform::AcceptsUnlocated(const std::wstring& path,
                                         const std::vector<std::wstring>* listed) {
    const std::wstring key = Folded(path);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_chosenPaths.count(key) != 0) return true;
        if (m_otherPaths.count(key) != 0) return false;
        if (Named(path)) {
            m_chosenPaths.insert(key);
            return true;
        }
        // Seen before the chosen writer was, or once that is followed by its
        // location: another device's.
        if (m_chosenPaths.empty() || !m_location.empty()) {
            m_otherPaths.insert(key);
            return false;
        }
    }
    // A path never seen before: the chosen writer in its other mode when it is a
    // writer's interface and none of the chosen writer's paths is listed now.
    // One that cannot be asked yet is judged again; another device is for good.
    HidAttributes attributes;
    if (!m_inner.QueryAttributes(path, attributes)) return false;
    if (!IsWriter(attributes)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_otherPaths.insert(key);
        return false;
    }
    std::vector<std::wstring> own;
    if (listed == nullptr) {
        if (!m_inner.EnumerateInterfaces(own)) return false;
        listed = &own;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    bool chosenListed = false;
    for (const std::wstring& other : *listed) {
        if (m_chosenPaths.count(Folded(other)) != 0) chosenListed = true;
    }
    (chosenListed ? m_otherPaths : m_chosenPaths).insert(key);
    return !chosenListed;
}

bool SelectingPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    std::vector<std::wstring> all;
    paths.clear();
    if (!m_inner.EnumerateInterfaces(all)) return false;
    for (const std::wstring& path : all) {
        if (Accepts(path, &all)) paths.push_back(path);
    }
    return true;
}

bool SelectingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    return Accepts(path) && m_inner.QueryAttributes(path, attributes);
}

HidHandle SelectingPlatform::OpenForRead(const std::wstring& path) {
    return Accepts(path) ? m_inner.OpenForRead(path) : kInvalidHidHandle;
}

HidHandle SelectingPlatform::OpenForWrite(const std::wstring& path) {
    return Accepts(path) ? m_inner.OpenForWrite(path) : kInvalidHidHandle;
}

bool SelectingPlatform::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    return m_inner.InterfaceLocation(path, location);
}

std::vector<DeviceEvent> SelectedDeviceEvents::TakeEvents() {
    std::vector<DeviceEvent> chosen;
    for (DeviceEvent& event : m_inner.TakeEvents()) {
        if (m_selection.Accepts(event.second.name)) chosen.push_back(std::move(event));
    }
    return chosen;
}

const wchar_t* WriterModeName(WriterMode mode) {
    switch (mode) {
        case WriterMode::Application:
            return L"application";
        case WriterMode::BootLoader:
            return L"boot-loader";
        case WriterMode::Busy:
            return L"busy";
        default:
            return L"no-answer";
    }
}

std::vector<AttachedWriter> ListWriters(IHidPlatform& platform, IClock& clock,
                                        bool confirmBootLoaders, const BusyCheck& busy) {
    std::vector<AttachedWriter> writers;
    std::vector<std::wstring> paths;
    if (!platform.EnumerateInterfaces(paths)) return writers;
    for (const std::wstring& path : paths) {
        uint16_t version = 0;
        if (!IsWriterInterface(platform, path, version)) continue;
        AttachedWriter writer;
        writer.path = path;
        platform.InterfaceLocation(path, writer.location);
        if (busy && busy(path, writer.heldBy)) {
            writer.mode = WriterMode::Busy;
        } else if (version == kBootLoaderVersion) {
            writer.mode = WriterMode::BootLoader;
            if (confirmBootLoaders) {
                // Presence tracking's own detection, on this writer alone and with
                // nothing shown: "boot connect" only for a boot loader that answers.
                SelectingPlatform alone(platform, path);
                SilentView silent;
                CVantrelCore core(silent, clock, alone);
                core.ResetStartupState();
                core.DetectWriterAtStartup();
                if (!core.m_bDevicePresent) writer.mode = WriterMode::Unanswered;
            }
        }
        writers.push_back(std::move(writer));
    }
    return writers;
}

bool AwaitWriter(IHidPlatform& platform, IClock& clock, uint32_t timeoutMs) {
    const uint32_t start = clock.GetTickCount();
    for (;;) {
        if (!ListWriters(platform, clock, false).empty()) return true;
        if (clock.GetTickCount() - start >= timeoutMs) return false;
        clock.Sleep(kAwaitPollMs);
    }
}

}  // namespace vantrel::cli
