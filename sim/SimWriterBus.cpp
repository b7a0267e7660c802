#include "sim/SimWriterBus.h"

#include <algorithm>

namespace vantrel::sim {

class SimWriterBus::BusPlatform : public IHidPlatform {
public:
    explicit BusPlatform(std::vector<std::unique_ptr<SimWriter>>& writers) : m_writers(writers) {
        for (auto& writer : m_writers) {
            for (SimMode mode : {SimMode::Application, SimMode::BootLoader}) {
                m_byPath[SimWriter::InterfacePath(writer->Index(), mode)] = &writer->Platform();
            }
        }
    }

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override {
        paths = SimWriter::OtherInterfacePaths();
        const size_t others = paths.size();
        for (auto& writer : m_writers) {
            std::vector<std::wstring> own;
            writer->Platform().EnumerateInterfaces(own);
            paths.insert(paths.end(), own.begin() + static_cast<std::ptrdiff_t>(others), own.end());
        }
        return true;
    }
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override {
        if (IHidPlatform* owner = OwnerOfPath(path))
            return owner->QueryAttributes(path, attributes);
        for (auto& writer : m_writers) {
            if (writer->Platform().QueryAttributes(path, attributes)) return true;
        }
        return false;
    }
    HidHandle OpenForRead(const std::wstring& path) override { return Open(path, true); }
    HidHandle OpenForWrite(const std::wstring& path) override { return Open(path, false); }
    void Close(HidHandle handle) override {
        IHidPlatform* owner = OwnerOf(handle, true);
        if (owner != nullptr) owner->Close(handle);
    }
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override {
        transferred = 0;
        IHidPlatform* owner = OwnerOf(handle, false);
        return owner ? owner->Write(handle, report, length, timeoutMs, transferred)
                     : HidIo::Refused;
    }
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override {
        transferred = 0;
        IHidPlatform* owner = OwnerOf(handle, false);
        return owner ? owner->Read(handle, report, length, timeoutMs, transferred) : HidIo::Refused;
    }
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override {
        if (IHidPlatform* owner = OwnerOfPath(path))
            return owner->InterfaceLocation(path, location);
        for (auto& writer : m_writers) {
            if (writer->Platform().InterfaceLocation(path, location)) return true;
        }
        location.clear();
        return false;
    }

private:
    // The writer whose interface `path` is, straight from its name: a station's
    // writers each open their link for every command, and asking every writer in turn
    // would make the bus's cost grow with the square of its writers. Null for the
    // interfaces that are no writer's.
    IHidPlatform* OwnerOfPath(const std::wstring& path) const {
        const auto it = m_byPath.find(path);
        return it == m_byPath.end() ? nullptr : it->second;
    }

    HidHandle Open(const std::wstring& path, bool forRead) {
        if (IHidPlatform* owner = OwnerOfPath(path)) {
            const HidHandle handle = forRead ? owner->OpenForRead(path) : owner->OpenForWrite(path);
            if (handle == kInvalidHidHandle) return handle;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_owners[handle] = owner;
            return handle;
        }
        for (auto& writer : m_writers) {
            IHidPlatform& platform = writer->Platform();
            const HidHandle handle =
                forRead ? platform.OpenForRead(path) : platform.OpenForWrite(path);
            if (handle == kInvalidHidHandle) continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_owners[handle] = &platform;
            return handle;
        }
        return kInvalidHidHandle;
    }
    IHidPlatform* OwnerOf(HidHandle handle, bool forget) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_owners.find(handle);
        if (it == m_owners.end()) return nullptr;
        IHidPlatform* owner = it->second;
        if (forget) m_owners.erase(it);
        return owner;
    }

    std::vector<std::unique_ptr<SimWriter>>& m_writers;
    std::mutex m_mutex;
    std::map<HidHandle, IHidPlatform*> m_owners;
    std::map<std::wstring, IHidPlatform*> m_byPath;
};

SimWriterBus::SimWriterBus(IClock& clock, std::vector<SimOptions> writers)
    : SimWriterBus([&clock](int) -> IClock& { return clock; }, std::move(writers)) {}

SimWriterBus::SimWriterBus(const std::function<IClock&(int index)>& clockOf,
                           std::vector<SimOptions> writers) {
    for (size_t i = 0; i < writers.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        writers[i].index = index;
        m_writers.push_back(std::make_unique<SimWriter>(clockOf(index), std::move(writers[i])));
    }
    m_platform = std::make_unique<BusPlatform>(m_writers);
}

SimWriterBus::~SimWriterBus() = default;

IHidPlatform& SimWriterBus::Platform() { return *m_platform; }

std::vector<DeviceChange> SimWriterBus::TakeDueEvents() {
    std::vector<DeviceChange> due;
    for (auto& writer : m_writers) {
        std::vector<DeviceChange> own = writer->TakeDueEvents();
        due.insert(due.end(), own.begin(), own.end());
    }
    return due;
}

std::optional<uint32_t> SimWriterBus::NextEventDueIn() {
    std::optional<uint32_t> next;
    for (auto& writer : m_writers) {
        const std::optional<uint32_t> own = writer->NextEventDueIn();
        if (own && (!next || *own < *next)) next = own;
    }
    return next;
}

}  // namespace vantrel::sim
