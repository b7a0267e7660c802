// CHidDevice: finds the writer among the HID interfaces present, opens it with a
// read and a write handle and exchanges 65-byte reports with it. The operating
// system's calls sit behind IHidPlatform; every bounded wait is the backend's.

#include "link/HidDevice.h"

#include <cstring>
#include <vector>

using namespace vantrel;

CHidDevice::CHidDevice(IHidPlatform& platform)
    : m_isOpen(0),
      m_readHandle(kInvalidHidHandle),
      m_writeHandle(kInvalidHidHandle),
      m_report{},
      m_platform(platform) {}

CHidDevice::~CHidDevice() { Close(); }

bool CHidDevice::Open(uint32_t vendorId, uint32_t productId, uint32_t versionNumber) {
    // Handles left open by an earlier transaction (an arrival that found the
    // application, a command that leaves the link open) are released first, so
    // that replacing them never leaks them.
    Close();
    m_isOpen = 0;
    m_readHandle = kInvalidHidHandle;
    m_writeHandle = kInvalidHidHandle;

    // A layer that remembers the interfaces may hand out a list that is out of date:
    // when it finds no writer, the handles are let go and the search runs once more
    // over a fresh enumeration.
    do {
        Close();
        if (!FindAndOpen(vendorId, productId, versionNumber)) return false;
    } while (m_isOpen == 0 && m_platform.ForgetRememberedList());
    return m_isOpen != 0;
}

bool CHidDevice::FindAndOpen(uint32_t vendorId, uint32_t productId, uint32_t versionNumber) {
    std::vector<std::wstring> paths;
    if (!m_platform.EnumerateInterfaces(paths)) return false;

    for (const std::wstring& path : paths) {
        m_devicePath = path;
        HidAttributes attributes;
        if (!m_platform.QueryAttributes(path, attributes)) continue;
        if (attributes.vendorId != vendorId || attributes.productId != productId ||
            attributes.versionNumber != versionNumber) {
            continue;
        }
        // The first matching interface ends the search, whether or not both opens
        // succeed; a handle that did open stays until Close.
        m_readHandle = m_platform.OpenForRead(path);
        m_writeHandle = m_platform.OpenForWrite(path);
        m_isOpen =
            (m_readHandle != kInvalidHidHandle && m_writeHandle != kInvalidHidHandle) ? 1 : 0;
        break;
    }
    return true;
}

void CHidDevice::Close() {
    if (m_readHandle != kInvalidHidHandle) {
        m_platform.Close(m_readHandle);
        m_readHandle = kInvalidHidHandle;
        m_isOpen = 0;
    }
    if (m_writeHandle != kInvalidHidHandle) {
        m_platform.Close(m_writeHandle);
        m_writeHandle = kInvalidHidHandle;
        m_isOpen = 0;
    }
}

bool CHidDevice::WriteReport(const uint8_t* data, uint32_t& written) {
    if (data == nullptr) return false;
    m_report[0] = 0;
    std::memcpy(m_report + 1, data, kReportSize - 1);
    written = 0;

    uint32_t transferred = 0;
    const HidIo io =
        m_platform.Write(m_writeHandle, m_report, kReportSize, kWriteWaitMs, transferred);
    // A request that completed with an error did not deliver the report: reporting
    // it as written would hide the failure from the caller.
    if (io != HidIo::Completed) return false;
    written = transferred > 0 ? transferred - 1 : 0;
    return true;
}

bool CHidDevice::ReadReport(uint8_t* data, uint32_t& received) {
    if (data == nullptr) return false;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        received = 0;
        uint32_t transferred = 0;
        const HidIo io =
            m_platform.Read(m_readHandle, m_report, kReportSize, kReadWaitMs, transferred);
        switch (io) {
            case HidIo::Refused:    // could not be issued: the next attempt at once
            case HidIo::TimedOut:   // nothing within the wait (the request is withdrawn)
            case HidIo::Cancelled:  // the cancel event ended the wait
                continue;
            case HidIo::CompletedWithError:
                // The request ended without a report (for example because the writer
                // has gone): no further attempts.
                return false;
            case HidIo::Completed:
                break;
        }
        if (transferred == 0 || transferred > kReportSize) return false;
        received = transferred - 1;
        std::memcpy(data, m_report + 1, received);
        return true;
    }
    return false;
}
