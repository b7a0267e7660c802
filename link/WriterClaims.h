#pragma once
// One writer, one job: a run claims the writer before it sends the first report and
// holds the claim until its job has ended, across the writer's restarts. Another
// process (another vantrel-cli, the dialog, a station) that finds the writer claimed
// sends it nothing. A claim dies with its process, however it ends.
//
// A claim is named by a key (ClaimKey): the writer's USB location where the backend
// tells it, which stays the same while the writer restarts; otherwise its interface
// path, and for a boot loader whose location is unknown one machine-wide key, since
// two unlocated writers in their boot loaders cannot be told apart.
//
// WriterClaims counts the holders inside this process (the job, a transaction of
// presence tracking), so that the process takes the system's claim once and drops it
// when the last holder lets go. The system's claims come from an IClaimBackend: lock
// files with flock on Linux, named mutexes on Windows, a table in memory for the
// simulated writers (which belong to their process alone).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel {

// One claim taken from the system; releasing it is destroying it.
class IClaimToken {
public:
    virtual ~IClaimToken() = default;
};

struct ClaimAttempt {
    std::unique_ptr<IClaimToken> token;  // null when the writer is claimed elsewhere
    std::string heldBy;                  // then: who holds it, as its holder described itself
    // The last holder ended without letting go (killed, crashed): the writer may be
    // left in the middle of a transfer.
    bool holderVanished = false;
};

class IClaimBackend {
public:
    virtual ~IClaimBackend() = default;
    // Tries to take the claim `key` without waiting; `holder` describes this
    // process to whoever finds the claim taken. With a null `holder` the claim is only
    // looked at: if it is free it is taken and let go again with its record (who held
    // it last, whether that holder vanished) left as it was.
    virtual ClaimAttempt TryTake(const std::wstring& key, const std::string* holder) = 0;
};

// Claims among the threads of this process only (the simulated bus, tests).
class InProcessClaimBackend : public IClaimBackend {
public:
    ClaimAttempt TryTake(const std::wstring& key, const std::string* holder) override;
    // Marks `key` as left behind by a holder that vanished (tests).
    void LeaveVanished(const std::wstring& key);

private:
    class Token;
    std::mutex m_mutex;
    std::map<std::wstring, std::string> m_held;
    std::map<std::wstring, bool> m_vanished;
};

// The claims of the operating system: lock files on Linux, named mutexes on Windows.
// `lockFolder` (Linux only; empty for the system's runtime folder) is where the lock
// files live.
std::unique_ptr<IClaimBackend> MakeSystemClaimBackend(const std::string& lockFolder = "");

// The claim that covers the interface `path`: see the header comment.
std::wstring ClaimKey(const std::wstring& location, const std::wstring& path, bool bootLoader);

// "vantrel-cli (pid 4242), upgrade since 10:42:07"
std::string DescribeHolder(const std::string& program, const std::string& activity);

class WriterClaims {
public:
    // `describeHolder` tells, when a claim is taken, who takes it and for what.
    WriterClaims(IClaimBackend& backend, std::function<std::string()> describeHolder)
        : m_backend(backend), m_describeHolder(std::move(describeHolder)) {}

    // Takes one more hold on `key` for this process: true when the process holds it
    // (now or already). false, with `heldBy`, when another process holds it.
    // `holderVanished` (optional) tells whether the system's claim was taken over from
    // a holder that vanished; it is reported once, to the first hold.
    bool Hold(const std::wstring& key, std::string* heldBy = nullptr,
              bool* holderVanished = nullptr);
    // Drops one hold; the system's claim goes with the last.
    void Release(const std::wstring& key);
    bool HeldHere(const std::wstring& key);
    // Whether another process holds `key` now (takes and lets go again when free).
    bool BusyElsewhere(const std::wstring& key, std::string& heldBy);

private:
    struct Entry {
        std::unique_ptr<IClaimToken> token;
        int holds = 0;
    };
    IClaimBackend& m_backend;
    std::function<std::string()> m_describeHolder;
    std::mutex m_mutex;
    std::map<std::wstring, Entry> m_entries;
};

}  // namespace vantrel
