#pragma once
// Several writers on one machine. SelectingPlatform is a layer over the HID
// platform (as the trace is) through which the core sees only the chosen writer:
// the interfaces at one USB location, or the one interface path given, followed
// by its location once known, so the writer stays chosen while it restarts
// between its application and its boot loader (whose paths differ). Where the
// backend tells no location (Wine's HID bus), the writer chosen by its path is
// followed to the first new writer interface that appears while none of its own
// paths is listed: its restart, as long as no other writer restarts at that time.
// Which interfaces are a writer's the layer is told (`isWriter`): it knows no
// writer identity of its own.

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "link/DeviceEvents.h"
#include "link/ForwardingPlatform.h"

namespace vantrel {

// Whether the interface with `attributes` is a writer's (in either mode).
using WriterTest = std::function<bool(const HidAttributes& attributes)>;

class SelectingPlatform : public ForwardingPlatform {
public:
    // `selector`: a location ("1-2.3", "sim-2"), an interface path, or on Linux the
    // writer's hidraw device node ("/dev/hidraw3").
    SelectingPlatform(IHidPlatform& inner, std::wstring selector, WriterTest isWriter);

    // True when `path` belongs to the chosen writer. A path seen before keeps the
    // location it had then, so that a removal (whose device has gone) is judged too.
    bool Accepts(const std::wstring& path);
    // The chosen writer's location, once known (empty before).
    std::wstring Location();

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;

private:
    // Whether `path` is the one the selector names (by itself or by its node).
    bool Named(const std::wstring& path);
    // `listed`: the inner platform's current interfaces, when the caller has them.
    bool Accepts(const std::wstring& path, const std::vector<std::wstring>* listed);
    bool AcceptsUnlocated(const std::wstring& path, const std::vector<std::wstring>* listed);

    const std::wstring m_selector;
    const WriterTest m_isWriter;
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
    std::vector<DeviceChange> TakeEvents() override;

private:
    IDeviceEventSource& m_inner;
    SelectingPlatform& m_selection;
};

}  // namespace vantrel
