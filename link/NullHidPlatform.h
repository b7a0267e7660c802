#pragma once
// A HID platform without devices: enumeration finds nothing, every open fails and
// every transfer is refused. Whatever runs over it can never address a writer:
// the CLI's inspect decodes files over it, and tests and fuzz targets use it where
// no link is wanted.

#include <string>
#include <vector>

#include "link/HidPlatform.h"

namespace vantrel {

class NullHidPlatform : public IHidPlatform {
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

}  // namespace vantrel
