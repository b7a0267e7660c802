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
#include "link/ForwardingPlatform.h"

namespace vantrel {

class RememberingPlatform : public ForwardingPlatform {
public:
    RememberingPlatform(IHidPlatform& inner, const DeviceChangeCount& changes,
                        uint16_t freshVendorId, uint16_t freshProductId)
        : ForwardingPlatform(inner),
          m_changes(changes),
          m_freshVendorId(freshVendorId),
          m_freshProductId(freshProductId) {}

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    bool ForgetRememberedList() override;

private:
    struct Answer {
        bool answered = false;
        HidAttributes attributes;
    };

    bool AskedAfresh(const HidAttributes& attributes) const {
        return attributes.vendorId == m_freshVendorId && attributes.productId == m_freshProductId;
    }

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
