#include "link/TracingPlatform.h"

#include <cerrno>
#include <system_error>

#include "common/Text.h"
#include "link/ReportTrace.h"

namespace vantrel {

TracingPlatform::TracingPlatform(IHidPlatform& inner, IdentityName identityOf, FILE* out,
                                 ILinkObserver* observer)
    : ForwardingPlatform(inner),
      m_identityOf(std::move(identityOf)),
      m_out(out),
      m_observer(observer) {}

bool TracingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    const bool ok = Inner().QueryAttributes(path, attributes);
    if (ok) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_versionByPath[path] = attributes.versionNumber;
    }
    return ok;
}

void TracingPlatform::Remember(HidHandle handle, const std::wstring& path) {
    if (handle == kInvalidHidHandle) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_versionByPath.find(path);
    m_versionByHandle[handle] = found != m_versionByPath.end() ? found->second : 0;
}

HidHandle TracingPlatform::OpenForRead(const std::wstring& path) {
    const HidHandle handle = Inner().OpenForRead(path);
    Remember(handle, path);
    return handle;
}

HidHandle TracingPlatform::OpenForWrite(const std::wstring& path) {
    const HidHandle handle = Inner().OpenForWrite(path);
    Remember(handle, path);
    return handle;
}

void TracingPlatform::Close(HidHandle handle) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_versionByHandle.erase(handle);
    }
    Inner().Close(handle);
    if (m_observer != nullptr) m_observer->Closed();
}

uint16_t TracingPlatform::VersionOf(HidHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_versionByHandle.find(handle);
    return found != m_versionByHandle.end() ? found->second : 0;
}

void TracingPlatform::Emit(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_out == nullptr || !m_traceFailure.empty()) return;
    const std::string whole = line + "\n";
    errno = 0;
    if (std::fwrite(whole.data(), 1, whole.size(), m_out) == whole.size() &&
        std::fflush(m_out) == 0) {
        return;
    }
    m_traceFailure = errno != 0 ? FromUtf8(std::generic_category().message(errno)) : L"write error";
}

std::wstring TracingPlatform::TraceFailure() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_traceFailure;
}

HidIo TracingPlatform::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                             uint32_t timeoutMs, uint32_t& transferred) {
    if (m_observer != nullptr && length > 1) {
        m_observer->Writing(VersionOf(handle), report + 1, length - 1);
    }
    // The report crosses the link only when the write is issued; a refused request
    // sends nothing.
    const HidIo io = Inner().Write(handle, report, length, timeoutMs, transferred);
    if (io != HidIo::Refused && length > 1)
        Emit(ReportTraceLine(TraceDirection::Out, m_identityOf(VersionOf(handle)), report + 1,
                             length - 1));
    return io;
}

HidIo TracingPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                            uint32_t& transferred) {
    const HidIo io = Inner().Read(handle, report, length, timeoutMs, transferred);
    if (io == HidIo::Completed && transferred > 1 && transferred <= length) {
        const uint16_t version = VersionOf(handle);
        Emit(ReportTraceLine(TraceDirection::In, m_identityOf(version), report + 1,
                             transferred - 1));
        if (m_observer != nullptr) m_observer->Received(version, report + 1, transferred - 1);
    }
    return io;
}

}  // namespace vantrel
