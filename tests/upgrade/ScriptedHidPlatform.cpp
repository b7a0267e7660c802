#include "tests/upgrade/ScriptedHidPlatform.h"

#include <algorithm>

namespace vantrel::test {

std::vector<uint8_t> ScriptedHidPlatform::Reply(std::initializer_list<uint8_t> data) {
    std::vector<uint8_t> report(65, 0);
    std::copy(data.begin(), data.end(), report.begin() + 1);
    return report;
}

bool ScriptedHidPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    paths.clear();
    if (present) paths.push_back(kPath);
    return true;
}

bool ScriptedHidPlatform::QueryAttributes(const std::wstring& path, HidAttributes& out) {
    if (!present || path != kPath) return false;
    out = attributes;
    return true;
}

HidHandle ScriptedHidPlatform::OpenForRead(const std::wstring& path) {
    if (!present || path != kPath) return kInvalidHidHandle;
    ++openHandles;
    return m_nextHandle++;
}

HidHandle ScriptedHidPlatform::OpenForWrite(const std::wstring& path) { return OpenForRead(path); }

void ScriptedHidPlatform::Close(HidHandle handle) {
    if (handle != kInvalidHidHandle) --openHandles;
}

HidIo ScriptedHidPlatform::Write(HidHandle, const uint8_t* report, uint32_t length, uint32_t,
                                 uint32_t& transferred) {
    transferred = 0;
    if (writeAttempts++ == refuseWrite) return HidIo::Refused;
    writes.emplace_back(report, report + length);
    transferred = length;
    if (onWrite) onWrite();
    return HidIo::Completed;
}

HidIo ScriptedHidPlatform::Read(HidHandle, uint8_t* report, uint32_t length, uint32_t,
                                uint32_t& transferred) {
    ++readAttempts;
    transferred = 0;
    if (replies.empty()) return HidIo::TimedOut;
    std::vector<uint8_t> reply = std::move(replies.front());
    replies.pop_front();
    transferred = static_cast<uint32_t>(std::min<size_t>(reply.size(), length));
    std::copy(reply.begin(), reply.begin() + transferred, report);
    return HidIo::Completed;
}

}  // namespace vantrel::test
