#pragma once
// A HID platform with no devices at all: every open fails and every transfer is
// refused. For tests of the core that do not talk to a writer.

#include <string>
#include <vector>

#include "link/HidPlatform.h"

namespace vantrel::test {

class NoDevicePlatform : public IHidPlatform {
public:
    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override {
        paths.clear();
        return true;
    }
    bool QueryAttributes(const std::wstring&, HidAttributes&) override { return false; }
    HidHandle OpenForRead(const std::wstring&) override { return kInvalidHidHandle; }
    HidHandle OpenForWrite(const std::wstring&) override { return kInvalidHidHandle; }
    void Close(HidHandle) override {}
    HidIo Write(HidHandle, const uint8_t*, uint32_t, uint32_t, uint32_t&) override {
        return HidIo::Refused;
    }
    HidIo Read(HidHandle, uint8_t*, uint32_t, uint32_t, uint32_t&) override {
        return HidIo::Refused;
    }
};

}  // namespace vantrel::test
