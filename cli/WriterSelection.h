#pragma once
// Several writers on one machine. SelectingPlatform is a layer over the HID
// platform (as the trace is) through which the core sees only the chosen writer:
// the interfaces at one USB location, or the one interface path given, followed
// by its location once known, so the writer stays chosen while it restarts
// between its application and its boot loader (whose paths differ). Where the
// backend tells no location (Wine's HID bus), the writer chosen by its path is
// followed to the first new writer interface that appears while none of its own
// paths is listed: its restart, as long as no other writer restarts at that time.
// ListWriters finds every writer attached, each at its location.

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "cli/DeviceEvents.h"
#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel::cli {

class SelectingPlatform : public IHidPlatform {
public:
    // `selector`: a location ("1-2.3", "sim-2"), an interface path, or on Linux the
    // writer's hidraw device node ("/dev/hidraw3").
    SelectingPlatform(IHidPlatform& inner, std::wstring selector);

    // True when `path` belongs to the chosen writer. A path seen before keeps the
    // location it had then, so that a removal (whose device has gone) is judged too.
    bool Accepts(const std::wstring& path);
    // The chosen writer's location, once known (empty before).
    std::wstring Location();

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override { m_inner.Close(handle); }
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override {
        return m_inner.Write(handle, report, length, timeoutMs, transferred);
    }
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override {
        return m_inner.Read(handle, report, length, timeoutMs, transferred);
    }
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;
    bool ForgetRememberedList() override { return m_inner.ForgetRememberedList(); }

private:
    // Whether `path` is the one the selector names (by itself or by its node).
    bool Named(const std::wstring& path) const;
    // `listed`: the inner platform's current interfaces, when the caller has them.
    bool Accepts(const std::wstring& path, const std::vector<std::wstring>* listed);
    bool AcceptsUnlocated(const std::wstring& path, const std::vector<std::wstring>* listed);

    IHidPlatform& m_inner;
    const std::wstring m_selector;
    // The device node the selector names, links resolved; empty when none.
    const std::string m_node;
    std::mutex m_mutex;
    std::wstring m_location;
    std::map<std::wstring, std::wstring> m_locationByPath;
    // Without locations (paths folded to lower case): the chosen writer's paths, and
    // the paths known to be another device's.
    std::set<std::wstring> m_chosenPaths;
    std::set<std::wstring> m_otherPaths;
};

// The device events of the chosen writer only.
class SelectedDeviceEvents : public IDeviceEventSource {
public:
    SelectedDeviceEvents(IDeviceEventSource& inner, SelectingPlatform& selection)
        : m_inner(inner), m_selection(selection) {}
    std::vector<DeviceEvent> TakeEvents() override;

private:
    IDeviceEventSource& m_inner;
    SelectingPlatform& m_selection;
};

enum class WriterMode { Application, BootLoader, Unanswered, Busy };

struct AttachedWriter {
    WriterMode mode = WriterMode::Application;
    std::wstring path;
    std::wstring location;  // empty when the backend cannot tell
    std::string heldBy;     // Busy: who holds the writer's claim
};

// Whether another process holds the claim of interface `path` (and who).
using BusyCheck = std::function<bool(const std::wstring& path, std::string& heldBy)>;

// The writer's interfaces present (vendor 0x0416, product 0x5020, the version of
// either mode), in enumeration order. With `confirmBootLoaders`, each boot loader
// is asked with its query, as presence tracking asks it; one that does not
// answer is Unanswered. A writer that `busy` finds claimed by another process is
// Busy and is not asked.
std::vector<AttachedWriter> ListWriters(IHidPlatform& platform, IClock& clock,
                                        bool confirmBootLoaders, const BusyCheck& busy = nullptr);

// "application", "boot-loader", "no-answer" or "busy".
const wchar_t* WriterModeName(WriterMode mode);

// Waits until a writer's interface is present through `platform`, looking every
// 100 ms on `clock`, at most `timeoutMs`. false on time-out.
bool AwaitWriter(IHidPlatform& platform, IClock& clock, uint32_t timeoutMs);

}  // namespace vantrel::cli
