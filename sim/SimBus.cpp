// The simulated bus: which interfaces are present, the handles opened on them,
// re-enumeration on the clock, and the transfer of reports in both directions.

#include <cstring>
#include <cwctype>

#include "common/WindowSystem.h"
#include "sim/SimTrace.h"
#include "sim/SimWriterState.h"

namespace vantrel::sim {

namespace {

constexpr uint16_t kWriterVendorId = 0x0416;
constexpr uint16_t kWriterProductId = 0x5020;
constexpr uint16_t kApplicationVersion = 0x0100;
constexpr uint16_t kBootLoaderVersion = 0x8888;
constexpr uint32_t kReportBytes = 65;
// Input reports a HID driver buffers per open handle before it drops the oldest.
constexpr size_t kInputBufferReports = 32;

struct OtherInterface {
    std::wstring path;
    HidAttributes attributes;
};

const std::vector<OtherInterface>& OtherInterfaces() {
    // A keyboard, and another device of the writer's vendor that differs only in
    // its product id: both come before the writer in the enumeration.
    static const std::vector<OtherInterface> others = {
        {L"\\\\?\\hid#vid_046d&pid_c31c&mi_00#7&3b5a9d21&0&0000#"
         L"{4d1e55b2-f16f-11cf-88cb-001111000030}",
         {0x046D, 0xC31C, 0x6400}},
        {L"\\\\?\\hid#vid_0416&pid_5021#6&0f4e7a10&0&0000#"
         L"{4d1e55b2-f16f-11cf-88cb-001111000030}",
         {kWriterVendorId, 0x5021, kApplicationVersion}},
    };
    return others;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::wstring SimWriter::InterfacePath(int index, SimMode mode) {
    if (index == 1) return mode == SimMode::BootLoader ? BootLoaderPath() : ApplicationPath();
    // Another device instance per place on the bus, as Windows numbers them.
    const std::wstring instance = mode == SimMode::BootLoader ? L"7&1c9e8f02&" : L"7&2a1b3c4d&";
    return L"\\\\?\\hid#vid_0416&pid_5020#" + instance + std::to_wstring(index - 1) +
           L"&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

std::wstring SimWriter::LocationAt(int index) { return L"sim-" + std::to_wstring(index); }

int SimWriter::IndexAt(const std::wstring& location) {
    if (location.rfind(L"sim-", 0) != 0 || location.size() == 4 || location.size() > 8) return 0;
    int index = 0;
    for (size_t i = 4; i < location.size(); ++i) {
        if (location[i] < L'0' || location[i] > L'9') return 0;
        index = index * 10 + (location[i] - L'0');
    }
    return index;
}

const std::wstring& SimWriter::State::PathOf(SimMode which) {
    return which == SimMode::BootLoader ? bootLoaderPath : applicationPath;
}

bool SimWriter::State::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    location.clear();
    if (!SamePath(path, applicationPath) && !SamePath(path, bootLoaderPath)) return false;
    location = SimWriter::LocationAt(options.index);
    return true;
}

const std::wstring& SimWriter::ApplicationPath() {
    static const std::wstring path =
        L"\\\\?\\hid#vid_0416&pid_5020#7&2a1b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    return path;
}

const std::wstring& SimWriter::BootLoaderPath() {
    static const std::wstring path =
        L"\\\\?\\hid#vid_0416&pid_5020#7&1c9e8f02&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    return path;
}

const std::vector<std::wstring>& SimWriter::OtherInterfacePaths() {
    static const std::vector<std::wstring> paths = [] {
        std::vector<std::wstring> list;
        for (const OtherInterface& other : OtherInterfaces()) list.push_back(other.path);
        return list;
    }();
    return paths;
}

uint64_t SimWriter::State::Now() {
    if (virtualClock != nullptr) return virtualClock->Now();
    // Extend the wrapping 32-bit tick count to 64 bits.
    const uint32_t tick = clock.GetTickCount();
    if (tick < lastTick) tickHigh += uint64_t{1} << 32;
    lastTick = tick;
    return tickHigh + tick;
}

void SimWriter::State::ApplyDue() {
    if (pendingArrival && pendingArrival->due <= Now()) {
        const SimMode arriving = pendingArrival->mode;
        pendingArrival.reset();
        Arrive(arriving);
    }
}

void SimWriter::State::Leave() {
    if (mode == SimMode::Absent) return;
    events.push_back(DeviceChange{kDbtDeviceRemoveComplete,
                                  DeviceBroadcast{kDbtDevtypDeviceInterface, PathOf(mode)}});
    mode = SimMode::Absent;
    pendingData.reset();
    for (auto& [handle, open] : handles) open.input.clear();
}

void SimWriter::State::Arrive(SimMode arriving) {
    if (arriving == SimMode::Absent) return;
    mode = arriving;
    ++instance;
    pendingData.reset();
    events.push_back(DeviceChange{kDbtDeviceArrival,
                                  DeviceBroadcast{kDbtDevtypDeviceInterface, PathOf(arriving)}});
}

void SimWriter::State::QueueReply(const Report64& reply) {
    for (auto& [handle, open] : handles) {
        if (!open.forRead || open.instance != instance) continue;
        if (open.input.size() == kInputBufferReports) open.input.pop_front();
        open.input.push_back(reply);
    }
}

void SimWriter::State::AddTrace(std::string line) {
    if (traceSink) traceSink(line);
    trace.push_back(std::move(line));
}

void SimWriter::State::AddAnomaly(std::string text) { anomalies.push_back(std::move(text)); }

bool SimWriter::State::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    std::lock_guard<std::mutex> lock(mutex);
    ApplyDue();
    paths = OtherInterfacePaths();
    if (mode != SimMode::Absent) paths.push_back(PathOf(mode));
    return true;
}

bool SimWriter::State::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    std::lock_guard<std::mutex> lock(mutex);
    ApplyDue();
    for (const OtherInterface& other : OtherInterfaces()) {
        if (SamePath(path, other.path)) {
            attributes = other.attributes;
            return true;
        }
    }
    if (mode == SimMode::Absent || !SamePath(path, PathOf(mode))) return false;
    attributes.vendorId = kWriterVendorId;
    attributes.productId = kWriterProductId;
    attributes.versionNumber =
        mode == SimMode::BootLoader ? kBootLoaderVersion : kApplicationVersion;
    return true;
}

HidHandle SimWriter::State::Open(const std::wstring& path, bool forRead) {
    std::lock_guard<std::mutex> lock(mutex);
    ApplyDue();
    // The unrelated interfaces belong to other drivers and refuse to be opened for
    // transfers; a path of the other mode is not on the bus.
    if (mode == SimMode::Absent || !SamePath(path, PathOf(mode))) return kInvalidHidHandle;
    const HidHandle handle = nextHandle++;
    handles[handle] = Handle{instance, mode == SimMode::BootLoader, forRead, {}};
    return handle;
}

void SimWriter::State::Close(HidHandle handle) {
    std::lock_guard<std::mutex> lock(mutex);
    if (handles.erase(handle) == 0) AddAnomaly("close of a handle that is not open");
}

HidIo SimWriter::State::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                              uint32_t timeoutMs, uint32_t& transferred) {
    std::unique_lock<std::mutex> lock(mutex);
    transferred = 0;
    ApplyDue();
    auto it = handles.find(handle);
    if (it == handles.end()) {
        AddAnomaly("write on a handle that is not open");
        return HidIo::Refused;
    }
    if (it->second.forRead) {
        AddAnomaly("write on a handle opened for reading");
        return HidIo::Refused;
    }
    if (report == nullptr || length != kReportBytes || report[0] != 0) {
        AddAnomaly("output report of " + std::to_string(length) + " bytes with report id " +
                   std::to_string(report ? report[0] : -1) + " (wanted 65 bytes, report id 0)");
        return HidIo::Refused;
    }
    // A device that has left the bus fails every write at once.
    if (it->second.instance != instance || mode == SimMode::Absent) return HidIo::Refused;

    if (!Receive(report + 1, it->second.bootLoader)) {
        lock.unlock();
        clock.Sleep(timeoutMs);
        return HidIo::TimedOut;
    }
    transferred = kReportBytes;
    return HidIo::Completed;
}

HidIo SimWriter::State::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                             uint32_t& transferred) {
    std::unique_lock<std::mutex> lock(mutex);
    transferred = 0;
    ApplyDue();
    auto it = handles.find(handle);
    if (it == handles.end()) {
        AddAnomaly("read on a handle that is not open");
        return HidIo::Refused;
    }
    if (!it->second.forRead) {
        AddAnomaly("read on a handle opened for writing");
        return HidIo::Refused;
    }
    if (report == nullptr || length < kReportBytes) {
        AddAnomaly("read into a buffer of " + std::to_string(length) + " bytes (a report is 65)");
        return HidIo::Refused;
    }

    // Delivers the oldest input report; a dead handle completes with nothing.
    auto deliver = [&](Handle& open) {
        if (open.instance != instance || mode == SimMode::Absent) return HidIo::Completed;
        const Report64 reply = open.input.front();
        open.input.pop_front();
        report[0] = 0;
        std::memcpy(report + 1, reply.data(), reply.size());
        transferred = kReportBytes;
        AddTrace(TraceLine(TraceDirection::In, open.bootLoader, reply.data(), reply.size()));
        return HidIo::Completed;
    };
    Handle& open = it->second;
    if (open.instance != instance || mode == SimMode::Absent || !open.input.empty()) {
        return deliver(open);
    }

    // Nothing to read: the request waits out its time-out. A reply or a removal that
    // comes meanwhile (from another thread) still completes it.
    lock.unlock();
    clock.Sleep(timeoutMs);
    lock.lock();
    ApplyDue();
    it = handles.find(handle);
    if (it == handles.end()) return HidIo::Cancelled;  // closed while waiting
    Handle& after = it->second;
    if (after.instance != instance || mode == SimMode::Absent || !after.input.empty()) {
        return deliver(after);
    }
    return HidIo::TimedOut;
}

}  // namespace vantrel::sim
