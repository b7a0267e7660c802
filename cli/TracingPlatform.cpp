#include "cli/TracingPlatform.h"

#include <cerrno>

#include "cli/Console.h"
#include "upgrade/BootLoaderCommands.h"

namespace vantrel::cli {

TracingPlatform::TracingPlatform(IHidPlatform& inner, FILE* out, ILinkObserver* observer)
    : m_inner(inner), m_out(out), m_observer(observer) {}

bool TracingPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    return m_inner.EnumerateInterfaces(paths);
}

bool TracingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    const bool ok = m_inner.QueryAttributes(path, attributes);
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
    const HidHandle handle = m_inner.OpenForRead(path);
    Remember(handle, path);
    return handle;
}

HidHandle TracingPlatform::OpenForWrite(const std::wstring& path) {
    const HidHandle handle = m_inner.OpenForWrite(path);
    Remember(handle, path);
    return handle;
}

void TracingPlatform::Close(HidHandle handle) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_versionByHandle.erase(handle);
    }
    m_inner.Close(handle);
    if (m_observer != nullptr) m_observer->Closed();
}

uint16_t TracingPlatform::VersionOf(HidHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_versionByHandle.find(handle);
    return found != m_versionByHandle.end() ? found->second : 0;
}

std::string TracingPlatform::Line(bool out, uint16_t version, const uint8_t* data, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string line = out ? "OUT " : "IN ";
    if (version == kBootLoaderVersion) {
        line += "boot";
    } else if (version == kApplicationVersion) {
        line += "app";
    } else {
        // An interface the writer's identities do not name; the trace still shows it.
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "v%04x", static_cast<unsigned>(version));
        line += buffer;
    }
    line.push_back(' ');
    for (size_t i = 0; i < count; ++i) {
        line.push_back(kDigits[data[i] >> 4]);
        line.push_back(kDigits[data[i] & 0x0F]);
    }
    return line;
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
    m_traceFailure = errno != 0 ? ErrnoText(errno) : L"write error";
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
    const HidIo io = m_inner.Write(handle, report, length, timeoutMs, transferred);
    if (io != HidIo::Refused && length > 1)
        Emit(Line(true, VersionOf(handle), report + 1, length - 1));
    return io;
}

HidIo TracingPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                            uint32_t& transferred) {
    const HidIo io = m_inner.Read(handle, report, length, timeoutMs, transferred);
    if (io == HidIo::Completed && transferred > 1 && transferred <= length) {
        const uint16_t version = VersionOf(handle);
        Emit(Line(false, version, report + 1, transferred - 1));
        if (m_observer != nullptr) m_observer->Received(version, report + 1, transferred - 1);
    }
    return io;
}

}  // namespace vantrel::cli
