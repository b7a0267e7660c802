#pragma once
// A layer over the HID platform that opens a writer's interface only under the
// writer's claim (WriterClaims): an interface whose claim another process holds does
// not open, so this process sends it nothing. Each open takes a hold on the claim
// and each close drops it; between BeginHold and EndHold (a whole job) every claim
// taken is kept, so the writer stays claimed between the job's transactions and
// across its restarts. Nothing here waits: presence tracking on the user-interface
// thread meets a claimed writer as one that cannot be opened.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "link/HidPlatform.h"
#include "link/WriterClaims.h"

namespace vantrel {

class ClaimingPlatform : public IHidPlatform {
public:
    // Brings back a writer whose last holder vanished, perhaps in the middle of a
    // transfer, through the platform below (`version`: the interface's HID version).
    // true when the writer answers (or needed nothing).
    using Recovery =
        std::function<bool(IHidPlatform& platform, const std::wstring& path, uint16_t version)>;

    ClaimingPlatform(IHidPlatform& inner, WriterClaims& claims)
        : m_inner(inner), m_claims(claims) {}

    void SetRecovery(Recovery recovery) { m_recovery = std::move(recovery); }
    void BeginHold();
    void EndHold();
    // The claim key of interface `path`.
    std::wstring KeyOf(const std::wstring& path);
    // Who held the writer when an open was last refused for its claim (empty if none).
    std::string LastRefusal();

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override {
        return m_inner.EnumerateInterfaces(paths);
    }
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override { return Open(path, true); }
    HidHandle OpenForWrite(const std::wstring& path) override { return Open(path, false); }
    void Close(HidHandle handle) override;
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

private:
    HidHandle Open(const std::wstring& path, bool forRead);

    IHidPlatform& m_inner;
    WriterClaims& m_claims;
    Recovery m_recovery;
    std::mutex m_mutex;
    int m_holdDepth = 0;
    std::set<std::wstring> m_scopeKeys;              // keys held for the present scope
    std::map<HidHandle, std::wstring> m_handleKeys;  // the key each open handle holds
    std::map<std::wstring, uint16_t> m_versions;     // the version each path last had
    std::string m_lastRefusal;
};

}  // namespace vantrel
