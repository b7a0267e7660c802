// Presence tracking: whether the writer is attached and whether it runs its
// application or its boot loader, shown in the connection pane.
//
// Everything here runs on the user-interface thread. The link and the command
// record are shared with the worker's job transactions, which hold m_linkGate
// from Open to Close; presence tracking only ever try-locks the gate. A
// notification that cannot be handled now waits in m_deferredChanges and is
// replayed as soon as the transaction has ended, so the user interface never
// waits for a job.

#include <atomic>
#include <cstdio>
#include <mutex>

#include "app/VantrelCore.h"
#include "link/LinkGateOwner.h"

using namespace vantrel;

namespace {

const wchar_t kWriterConnect[] = L"writer connect";
const wchar_t kBootConnect[] = L"boot connect";
const wchar_t kWriterUnconnect[] = L"writer unconnect";

// The identity is searched from this character of an interface name on.
constexpr size_t kIdentitySearchStart = 7;

// The core whose notifications this thread is handling right now, with the gate
// held. A notification that arrives in the middle (a message box of
// QueryBootLoader runs a nested message loop) only joins the queue: the handling
// that is already running takes it next.
thread_local const CVantrelCore* t_handlingCore = nullptr;

wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - (L'a' - L'A') : c; }

std::wstring ToUpper(std::wstring text) {
    for (wchar_t& c : text) c = UpperAscii(c);
    return text;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// "VID_%04x&PID_%04x" in upper case: VID_0416&PID_5020 for this writer.
std::wstring IdentityText(int32_t vid, int32_t pid) {
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"VID_%04x&PID_%04x",
                  static_cast<unsigned>(vid), static_cast<unsigned>(pid));
    return ToUpper(text);
}

bool NameHoldsIdentity(const CVantrelCore& core, const std::wstring& name) {
    if (name.size() < kIdentitySearchStart) return false;
    return ToUpper(name).find(IdentityText(core.m_nVid, core.m_nPid), kIdentitySearchStart) !=
           std::wstring::npos;
}

// DetectWriter's work; the caller holds the gate. The link is closed again
// whatever was found: holding the writer open between jobs would only collect
// stale input reports, and every job opens it for itself.
void DetectWriterHoldingGate(CVantrelCore& core) {
    CHidDevice& link = core.m_hidDevice;
    const uint32_t vid = static_cast<uint32_t>(core.m_nVid);
    const uint32_t pid = static_cast<uint32_t>(core.m_nPid);

    if (link.Open(vid, pid, static_cast<uint32_t>(core.m_nAppVersion))) {
        link.Close();
        core.m_bWriterConnected = TRUE;
        core.m_bDevicePresent = TRUE;
        // The writer runs its application: a boot-loader answer from before is stale.
        core.m_bBootMode = FALSE;
        core.m_view.SetPaneText(kPaneConnection, kWriterConnect);
        return;
    }
    core.m_bWriterConnected = FALSE;
    if (!link.Open(vid, pid, static_cast<uint32_t>(core.m_nBootVersion))) {
        core.m_bDevicePresent = FALSE;
        core.m_view.SetPaneText(kPaneConnection, kWriterUnconnect);
        return;
    }
    const uint8_t answer = core.QueryBootLoader();
    link.Close();
    core.m_bBootMode = answer;
    if (answer != 0) {
        core.m_bAwaitingBootLoader = FALSE;
        core.m_bDevicePresent = TRUE;
        core.m_view.SetPaneText(kPaneConnection, kBootConnect);
    } else {
        core.m_bDevicePresent = FALSE;
        core.m_view.SetPaneText(kPaneConnection, kWriterUnconnect);
    }
}

// A removal notification; the caller holds the gate.
void HandleRemovalHoldingGate(CVantrelCore& core, const std::wstring& name) {
    if (!EqualIgnoringCase(name, core.m_hidDevice.m_devicePath)) return;
    core.m_hidDevice.Close();
    core.m_view.SetPaneText(kPaneConnection, kWriterUnconnect);
    core.m_bWriterConnected = FALSE;
    core.m_bDevicePresent = FALSE;
    // Whatever comes back next is detected afresh; the boot-loader answer of the
    // writer that has gone must not outlive it.
    core.m_bBootMode = FALSE;
}

// Handles every queued notification, in order, when the gate can be had now.
// Otherwise leaves them queued and marks them pending: the transaction that holds
// the gate asks for a device check when it ends (LinkTransaction). The second
// try-lock closes the gap in which that transaction ended before the mark was set.
void HandleQueuedChanges(CVantrelCore& core) {
    if (t_handlingCore == &core) return;
    if (ThisThreadHoldsLinkGate(core)) {
        // Reached from inside a transaction on this thread: its release replays it.
        core.m_bDeviceCheckPending = TRUE;
        return;
    }
    std::unique_lock<std::mutex> gate(core.m_linkGate, std::try_to_lock);
    if (!gate.owns_lock()) {
        // A sequentially consistent read-modify-write: the mark is visible before the
        // second try-lock below looks at the gate.
        core.m_bDeviceCheckPending.exchange(TRUE);
        if (!gate.try_lock()) return;
    }
    core.m_bDeviceCheckPending = FALSE;

    struct Handling {
        explicit Handling(const CVantrelCore* core) { t_handlingCore = core; }
        ~Handling() { t_handlingCore = nullptr; }
    } handling(&core);

    while (!core.m_deferredChanges.empty()) {
        const auto change = std::move(core.m_deferredChanges.front());
        core.m_deferredChanges.erase(core.m_deferredChanges.begin());
        if (change.eventType == kDbtDeviceArrival)
            DetectWriterHoldingGate(core);
        else
            HandleRemovalHoldingGate(core, change.broadcast.name);
    }
}

}  // namespace

void CVantrelCore::DetectWriter() {
    // Queued as an arrival so that it runs after any notification still waiting.
    m_deferredChanges.push_back(DeviceChange{
        kDbtDeviceArrival, DeviceBroadcast{kDbtDevtypDeviceInterface, std::wstring()}});
    HandleQueuedChanges(*this);
}

BOOL CVantrelCore::OnDeviceChange(uint32_t eventType, const DeviceBroadcast* header) {
    if (header == nullptr || header->deviceType != kDbtDevtypDeviceInterface) return TRUE;
    if (eventType == kDbtDeviceArrival) {
        if (!NameHoldsIdentity(*this, header->name)) return TRUE;
    } else if (eventType == kDbtDeviceRemoveComplete) {
        if (header->name.empty()) return TRUE;
    } else {
        return TRUE;
    }
    m_deferredChanges.push_back(DeviceChange{eventType, *header});
    HandleQueuedChanges(*this);
    return TRUE;
}

void CVantrelCore::ProcessDeferredDeviceChanges() { HandleQueuedChanges(*this); }
