#include "app/AttachedWriters.h"

#include <algorithm>

#include "app/VantrelCore.h"
#include "common/ShownText.h"
#include "common/SilentView.h"
#include "link/SelectingPlatform.h"
#include "protocol/WriterIdentity.h"

namespace vantrel {

namespace {

constexpr uint32_t kAwaitPollMs = 100;

bool IsWriterInterface(IHidPlatform& platform, const std::wstring& path, uint16_t& version) {
    HidAttributes attributes;
    if (!platform.QueryAttributes(path, attributes)) return false;
    version = attributes.versionNumber;
    return IsWriter(attributes);
}

}  // namespace

const wchar_t* WriterModeName(WriterMode mode) {
    switch (mode) {
        case WriterMode::Application:
            return L"application";
        case WriterMode::BootLoader:
            return L"boot-loader";
        case WriterMode::Busy:
            return L"busy";
        default:
            return L"no-answer";
    }
}

std::vector<AttachedWriter> ListWriters(IHidPlatform& platform, IClock& clock,
                                        bool confirmBootLoaders, const BusyCheck& busy) {
    std::vector<AttachedWriter> writers;
    std::vector<std::wstring> paths;
    if (!platform.EnumerateInterfaces(paths)) return writers;
    for (const std::wstring& path : paths) {
        uint16_t version = 0;
        if (!IsWriterInterface(platform, path, version)) continue;
        AttachedWriter writer;
        writer.path = path;
        platform.InterfaceLocation(path, writer.location);
        if (busy && busy(path, writer.heldBy)) {
            writer.mode = WriterMode::Busy;
        } else if (version == kBootLoaderVersion) {
            writer.mode = WriterMode::BootLoader;
            if (confirmBootLoaders) {
                // Presence tracking's own detection, on this writer alone and with
                // nothing shown: "boot connect" only for a boot loader that answers.
                SelectingPlatform alone(platform, path, IsWriter);
                SilentView silent;
                CVantrelCore core(silent, clock, alone);
                core.ResetStartupState();
                core.DetectWriterAtStartup();
                if (!core.m_bDevicePresent) writer.mode = WriterMode::Unanswered;
            }
        }
        writers.push_back(std::move(writer));
    }
    return writers;
}

bool AwaitWriter(IHidPlatform& platform, IClock& clock, uint32_t timeoutMs) {
    const uint32_t start = clock.GetTickCount();
    for (;;) {
        if (!ListWriters(platform, clock, false).empty()) return true;
        if (clock.GetTickCount() - start >= timeoutMs) return false;
        clock.Sleep(kAwaitPollMs);
    }
}

size_t DistinctWriters(const std::vector<AttachedWriter>& writers) {
    std::vector<std::wstring> seen;
    for (const AttachedWriter& writer : writers) {
        const std::wstring& key = writer.location.empty() ? writer.path : writer.location;
        if (std::find(seen.begin(), seen.end(), key) == seen.end()) seen.push_back(key);
    }
    return seen.size();
}

std::wstring WriterPlace(const AttachedWriter& writer) {
    return writer.location.empty() ? ShownPath(writer.path) : ShownPath(writer.location);
}

}  // namespace vantrel
