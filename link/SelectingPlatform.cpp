#include "link/SelectingPlatform.h"

#include <cwctype>
#include <filesystem>

#include "common/Text.h"

namespace vantrel {

namespace {

// Windows paths and location paths are compared without regard to case.
std::wstring Folded(const std::wstring& text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return Folded(a) == Folded(b); }

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

SelectingPlatform::SelectingPlatform(IHidPlatform& inner, std::wstring selector,
                                     WriterTest isWriter)
    : ForwardingPlatform(inner),
      m_selector(std::move(selector)),
      m_isWriter(std::move(isWriter)),
      m_node(NodeOf(m_selector)) {}

bool SelectingPlatform::Named(const std::wstring& path) {
    if (SameText(path, m_selector)) return true;
    // The backend tells the device node an interface is reached through.
    return !m_node.empty() && DeviceNodeOf(path) == m_node;
}

std::wstring SelectingPlatform::Location() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_location;
}

bool SelectingPlatform::Accepts(const std::wstring& path) { return Accepts(path, nullptr); }

bool SelectingPlatform::Accepts(const std::wstring& path, const std::vector<std::wstring>* listed) {
    std::wstring location;
    const bool known = Inner().InterfaceLocation(path, location);
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
    if (!Inner().QueryAttributes(path, attributes)) return false;
    if (!m_isWriter(attributes)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_otherPaths.insert(key);
        return false;
    }
    std::vector<std::wstring> own;
    if (listed == nullptr) {
        if (!Inner().EnumerateInterfaces(own)) return false;
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
    if (!Inner().EnumerateInterfaces(all)) return false;
    for (const std::wstring& path : all) {
        if (Accepts(path, &all)) paths.push_back(path);
    }
    return true;
}

bool SelectingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    return Accepts(path) && Inner().QueryAttributes(path, attributes);
}

HidHandle SelectingPlatform::OpenForRead(const std::wstring& path) {
    return Accepts(path) ? Inner().OpenForRead(path) : kInvalidHidHandle;
}

HidHandle SelectingPlatform::OpenForWrite(const std::wstring& path) {
    return Accepts(path) ? Inner().OpenForWrite(path) : kInvalidHidHandle;
}

std::vector<DeviceChange> SelectedDeviceEvents::TakeEvents() {
    std::vector<DeviceChange> chosen;
    for (DeviceChange& event : m_inner.TakeEvents()) {
        if (m_selection.Accepts(event.broadcast.name)) chosen.push_back(std::move(event));
    }
    return chosen;
}

}  // namespace vantrel
