#pragma once
// The base of the layers over a HID platform: every call goes to the platform
// below, so a layer overrides only the calls it changes.

#include "link/HidPlatform.h"

namespace vantrel {

class ForwardingPlatform : public IHidPlatform {
public:
    explicit ForwardingPlatform(IHidPlatform& inner) : m_inner(inner) {}

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override {
        return m_inner.EnumerateInterfaces(paths);
    }
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override {
        return m_inner.QueryAttributes(path, attributes);
    }
    HidHandle OpenForRead(const std::wstring& path) override { return m_inner.OpenForRead(path); }
    HidHandle OpenForWrite(const std::wstring& path) override { return m_inner.OpenForWrite(path); }
    void Close(HidHandle handle) override { m_inner.Close(handle); }
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override {
        return m_inner.Write(handle, report, length, timeoutMs, transferred);
    }
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override {
        return m_inner.Read(handle, report, length, timeoutMs, transferred);
    }
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override {
        return m_inner.InterfaceLocation(path, location);
    }
    bool ForgetRememberedList() override { return m_inner.ForgetRememberedList(); }
    std::string DeviceNodeOf(const std::wstring& path) override {
        return m_inner.DeviceNodeOf(path);
    }

protected:
    IHidPlatform& Inner() { return m_inner; }

private:
    IHidPlatform& m_inner;
};

}  // namespace vantrel
