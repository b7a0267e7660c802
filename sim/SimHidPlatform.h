#pragma once
// The HID platform over a SimWriter: what CHidDevice sees of the simulated bus.

#include "link/HidPlatform.h"

namespace vantrel::sim {

class SimWriter;

class SimHidPlatform : public IHidPlatform {
public:
    explicit SimHidPlatform(SimWriter& writer) : m_writer(writer) {}

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

private:
    SimWriter& m_writer;
};

}  // namespace vantrel::sim
