#include "sim/SimHidPlatform.h"

#include "sim/SimWriterState.h"

namespace vantrel::sim {

bool SimHidPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    return m_writer.m_state->EnumerateInterfaces(paths);
}

bool SimHidPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    return m_writer.m_state->QueryAttributes(path, attributes);
}

HidHandle SimHidPlatform::OpenForRead(const std::wstring& path) {
    return m_writer.m_state->Open(path, true);
}

HidHandle SimHidPlatform::OpenForWrite(const std::wstring& path) {
    return m_writer.m_state->Open(path, false);
}

void SimHidPlatform::Close(HidHandle handle) { m_writer.m_state->Close(handle); }

HidIo SimHidPlatform::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                            uint32_t timeoutMs, uint32_t& transferred) {
    return m_writer.m_state->Write(handle, report, length, timeoutMs, transferred);
}

HidIo SimHidPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                           uint32_t& transferred) {
    return m_writer.m_state->Read(handle, report, length, timeoutMs, transferred);
}

bool SimHidPlatform::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    return m_writer.m_state->InterfaceLocation(path, location);
}

}  // namespace vantrel::sim
