#pragma once
// A layer over the HID platform that spares CHidDevice::Open the full enumeration
// while no interface came or went. It keeps the ordered list of interface paths
// from the last enumeration and hands it out again while the device-change count
// stays where it was then. Open still asks the listed interfaces in their order
// and takes the first match.
//
// The attributes of an interface that is not of the family asked afresh (the
// writer's vendor and product id, whose version changes on the same path when it
// restarts) are remembered with the list; so is an interface that could not be
// asked. The family's interfaces are always asked anew, so the first of two
// matching interfaces still wins and a restart on the same path shows its new
// version.
//
// When a pass over a remembered list finds no writer, or a listed interface of the
// family no longer answers, Open asks ForgetRememberedList and enumerates afresh at
// once: the worst case is a full enumeration, as without this layer.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/DeviceChangeCount.h"
#include "link/HidPlatform.h"

namespace vantrel {

class RememberingPlatform : public IHidPlatform {
public:
    RememberingPlatform(IHidPlatform& inner, const DeviceChangeCount& changes,
                        uint16_t freshVendorId, uint16_t freshProductId)
        : m_inner(inner),
          m_changes(changes),
          m_freshVendorId(freshVendorId),
          m_freshProductId(freshProductId) {}

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    bool ForgetRememberedList() override;
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

private:
    struct Answer {
        bool answered = false;
        HidAttributes attributes;
    };

    bool AskedAfresh(const HidAttributes& attributes) const {
        return attributes.vendorId == m_freshVendorId && attributes.productId == m_freshProductId;
    }

    IHidPlatform& m_inner;
    const DeviceChangeCount& m_changes;
    const uint16_t m_freshVendorId;
    const uint16_t m_freshProductId;

    std::mutex m_mutex;
    bool m_haveList = false;
    uint64_t m_listCount = 0;  // the change count when the list was taken
    std::vector<std::wstring> m_paths;
    std::map<std::wstring, Answer> m_answers;
    // Per thread (presence tracking and a job may each be opening): whether the last
    // list handed out was the remembered one, and whether in that pass an interface
    // that had answered stopped answering.
    struct Pass {
        bool remembered = false;
        bool spoilt = false;
    };
    std::map<std::thread::id, Pass> m_passes;
};

}  // namespace vantrel
