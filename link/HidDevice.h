#pragma once
// CHidDevice: the one link to the writer. Finds the writer among the HID
// interfaces by vendor id, product id and version number, opens it with a read
// and a write handle, and exchanges 65-byte reports (report id 0 + 64 data bytes).

#include <cstdint>
#include <string>

#include "link/HidPlatform.h"

class CHidDevice {
public:
    explicit CHidDevice(vantrel::IHidPlatform& platform);
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    bool Open(uint32_t vendorId, uint32_t productId, uint32_t versionNumber);
    void Close();
    // Sends exactly 64 data bytes; `written` gets the bytes transferred less the report id.
    bool WriteReport(const uint8_t* data, uint32_t& written);
    // Receives up to 64 data bytes into `data`; `received` gets their count.
    bool ReadReport(uint8_t* data, uint32_t& received);

    static constexpr uint32_t kReportSize = 65;
    static constexpr uint32_t kWriteWaitMs = 4000;
    static constexpr uint32_t kReadWaitMs = 4000;
    static constexpr int kReadAttempts = 10;

    std::wstring m_devicePath;
    int32_t m_isOpen;
    vantrel::HidHandle m_readHandle;
    vantrel::HidHandle m_writeHandle;
    uint8_t m_report[kReportSize];

private:
    // One search over the interfaces that the platform lists; false when it could
    // not list them.
    bool FindAndOpen(uint32_t vendorId, uint32_t productId, uint32_t versionNumber);

    vantrel::IHidPlatform& m_platform;
};
