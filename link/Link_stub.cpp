#include "app/VantrelCore.h"
CHidDevice::CHidDevice(vantrel::IHidPlatform& platform)
    : m_isOpen(0), m_readHandle(vantrel::kInvalidHidHandle), m_writeHandle(vantrel::kInvalidHidHandle), m_report{}, m_platform(platform) {}
CHidDevice::~CHidDevice() = default;
bool CHidDevice::Open(uint32_t, uint32_t, uint32_t) { return false; }
void CHidDevice::Close() {}
bool CHidDevice::WriteReport(const uint8_t*, uint32_t&) { return false; }
bool CHidDevice::ReadReport(uint8_t*, uint32_t&) { return false; }
void CVantrelCore::DetectWriter() {}
BOOL CVantrelCore::OnDeviceChange(uint32_t, const vantrel::DeviceBroadcast*) { return TRUE; }
void CVantrelCore::ProcessDeferredDeviceChanges() {}
