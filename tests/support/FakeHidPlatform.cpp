#include "tests/support/FakeHidPlatform.h"

#include <algorithm>
#include <cstring>

namespace vantrel::test {

void FakeHidPlatform::AddInterface(const FakeInterface& entry) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interfaces.push_back(entry);
}

void FakeHidPlatform::RemoveInterface(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_interfaces, [&](const FakeInterface& e) { return e.path == path; });
}

void FakeHidPlatform::ClearInterfaces() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interfaces.clear();
}

void FakeHidPlatform::SetEnumerationFails(bool fails) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enumerationFails = fails;
}

void FakeHidPlatform::QueueReport(const std::vector<uint8_t>& report) {
    QueueRead(FakeIo{HidIo::Completed, report, -1});
}

void FakeHidPlatform::QueueRead(const FakeIo& outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reads.push_back(outcome);
}

void FakeHidPlatform::QueueWrite(const FakeIo& outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_writes.push_back(outcome);
}

void FakeHidPlatform::SetIdleRead(HidIo io) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_idleRead = io;
}

void FakeHidPlatform::SetResponder(
    std::function<void(const std::wstring&, const std::vector<uint8_t>&)> r) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responder = std::move(r);
}

std::vector<std::vector<uint8_t>> FakeHidPlatform::Written() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_written;
}

int FakeHidPlatform::ReadCalls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readCalls;
}

int FakeHidPlatform::WriteCalls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_writeCalls;
}

int FakeHidPlatform::OpenHandleCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_open.size());
}

std::vector<std::wstring> FakeHidPlatform::OpenPaths() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::wstring> paths;
    for (const auto& [handle, entry] : m_open) paths.push_back(entry.path);
    return paths;
}

int FakeHidPlatform::QueryCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queries;
}

int FakeHidPlatform::EnumerationCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_enumerations;
}

std::vector<std::string> FakeHidPlatform::Anomalies() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_anomalies;
}

const FakeInterface* FakeHidPlatform::Find(const std::wstring& path) const {
    for (const FakeInterface& entry : m_interfaces)
        if (entry.path == path) return &entry;
    return nullptr;
}

bool FakeHidPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_enumerations;
    paths.clear();
    if (m_enumerationFails) return false;
    for (const FakeInterface& entry : m_interfaces) paths.push_back(entry.path);
    return true;
}

bool FakeHidPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_queries;
    const FakeInterface* entry = Find(path);
    if (entry == nullptr || entry->queryFails) return false;
    attributes = entry->attributes;
    return true;
}

void FakeHidPlatform::SetLocation(const std::wstring& path, const std::wstring& location) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_locations[path] = location;
}

bool FakeHidPlatform::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_locations.find(path);
    location = it != m_locations.end() ? it->second : std::wstring();
    return !location.empty();
}

HidHandle FakeHidPlatform::OpenHandleFor(const std::wstring& path, bool forRead) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const FakeInterface* entry = Find(path);
    if (entry == nullptr || (forRead ? entry->readOpenFails : entry->writeOpenFails))
        return kInvalidHidHandle;
    const HidHandle handle = m_nextHandle++;
    m_open[handle] = OpenHandle{path, forRead};
    return handle;
}

HidHandle FakeHidPlatform::OpenForRead(const std::wstring& path) {
    return OpenHandleFor(path, true);
}

HidHandle FakeHidPlatform::OpenForWrite(const std::wstring& path) {
    return OpenHandleFor(path, false);
}

void FakeHidPlatform::Close(HidHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open.erase(handle) == 0)
        m_anomalies.push_back("close of handle " + std::to_string(handle) + " that is not open");
}

HidIo FakeHidPlatform::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                             uint32_t timeoutMs, uint32_t& transferred) {
    transferred = 0;
    std::function<void(const std::wstring&, const std::vector<uint8_t>&)> responder;
    std::vector<uint8_t> bytes(report, report + length);
    std::wstring path;
    FakeIo outcome{HidIo::Completed, {}, -1};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_writeCalls;
        auto it = m_open.find(handle);
        if (it == m_open.end() || it->second.forRead) {
            m_anomalies.push_back("write on handle " + std::to_string(handle) +
                                  " that is not open for writing");
            return HidIo::Refused;
        }
        path = it->second.path;
        if (!m_writes.empty()) {
            outcome = m_writes.front();
            m_writes.pop_front();
        }
        if (outcome.io == HidIo::Completed) {
            m_written.push_back(bytes);
            responder = m_responder;
        }
    }
    if (outcome.io == HidIo::TimedOut) m_clock.Sleep(timeoutMs);
    if (outcome.io == HidIo::Completed || outcome.io == HidIo::CompletedWithError)
        transferred =
            outcome.transferred >= 0 ? static_cast<uint32_t>(outcome.transferred) : length;
    if (responder) responder(path, bytes);
    return outcome.io;
}

HidIo FakeHidPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                            uint32_t& transferred) {
    transferred = 0;
    FakeIo outcome;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_readCalls;
        auto it = m_open.find(handle);
        if (it == m_open.end() || !it->second.forRead) {
            m_anomalies.push_back("read on handle " + std::to_string(handle) +
                                  " that is not open for reading");
            return HidIo::Refused;
        }
        if (!m_reads.empty()) {
            outcome = m_reads.front();
            m_reads.pop_front();
        } else {
            outcome = FakeIo{m_idleRead, {}, -1};
        }
    }
    if (outcome.io == HidIo::TimedOut) m_clock.Sleep(timeoutMs);
    if (outcome.io == HidIo::Completed || outcome.io == HidIo::CompletedWithError) {
        const size_t copied = std::min<size_t>(outcome.report.size(), length);
        if (copied > 0) std::memcpy(report, outcome.report.data(), copied);
        transferred = outcome.transferred >= 0 ? static_cast<uint32_t>(outcome.transferred)
                                               : static_cast<uint32_t>(outcome.report.size());
    }
    return outcome.io;
}

}  // namespace vantrel::test
