#include "link/ClaimingPlatform.h"

namespace vantrel {

namespace {

constexpr uint16_t kBootLoaderVersionNumber = 0x8888;

}  // namespace

void ClaimingPlatform::BeginHold() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_holdDepth;
}

void ClaimingPlatform::EndHold() {
    std::set<std::wstring> released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_holdDepth == 0 || --m_holdDepth > 0) return;
        released.swap(m_scopeKeys);
    }
    for (const std::wstring& key : released) m_claims.Release(key);
}

std::wstring ClaimingPlatform::KeyOf(const std::wstring& path) {
    std::wstring location;
    if (!Inner().InterfaceLocation(path, location)) location.clear();
    uint16_t version = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto known = m_versions.find(path);
        if (known != m_versions.end()) version = known->second;
    }
    return ClaimKey(location, path, version == kBootLoaderVersionNumber);
}

std::string ClaimingPlatform::LastRefusal() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRefusal;
}

bool ClaimingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    if (!Inner().QueryAttributes(path, attributes)) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_versions[path] = attributes.versionNumber;
    return true;
}

HidHandle ClaimingPlatform::Open(const std::wstring& path, bool forRead) {
    const std::wstring key = KeyOf(path);
    std::string heldBy;
    bool vanished = false;
    if (!m_claims.Hold(key, &heldBy, &vanished)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lastRefusal = heldBy;
        return kInvalidHidHandle;
    }
    if (vanished && m_recovery) {
        uint16_t version = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            version = m_versions[path];
        }
        if (!m_recovery(Inner(), path, version)) {
            m_claims.Release(key);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lastRefusal = "the writer does not answer after an interrupted transfer";
            return kInvalidHidHandle;
        }
    }
    const HidHandle handle = forRead ? Inner().OpenForRead(path) : Inner().OpenForWrite(path);
    if (handle == kInvalidHidHandle) {
        m_claims.Release(key);
        return handle;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handleKeys[handle] = key;
    if (m_holdDepth > 0 && m_scopeKeys.insert(key).second) {
        // One more hold for the scope, so the claim outlives this handle.
        m_claims.Hold(key);
    }
    return handle;
}

void ClaimingPlatform::Close(HidHandle handle) {
    Inner().Close(handle);
    std::wstring key;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_handleKeys.find(handle);
        if (found == m_handleKeys.end()) return;
        key = found->second;
        m_handleKeys.erase(found);
    }
    m_claims.Release(key);
}

}  // namespace vantrel
