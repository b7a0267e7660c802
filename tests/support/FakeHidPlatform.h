#pragma once
// A scriptable HID platform for tests, in virtual time. It holds a list of
// interfaces (path + HID attributes, each of whose opens can be made to fail),
// records every report written, and answers reads from a script: queued reports
// and outcomes first, then an idle behaviour (silent by default: every read waits
// out its time-out on the clock). A responder can answer writes as a device would.
// Thread-safe; callbacks run outside its lock.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel::test {

struct FakeInterface {
    std::wstring path;
    HidAttributes attributes;
    bool queryFails = false;      // the query open (or the attribute read) fails
    bool readOpenFails = false;   // OpenForRead fails
    bool writeOpenFails = false;  // OpenForWrite fails
};

// One scripted outcome of a read or a write.
struct FakeIo {
    HidIo io = HidIo::Completed;
    std::vector<uint8_t> report;  // reads: the bytes delivered (report id first)
    // Bytes transferred; by default the size of `report` (reads) or of the request
    // (writes).
    int64_t transferred = -1;
};

class FakeHidPlatform : public IHidPlatform {
public:
    explicit FakeHidPlatform(IClock& clock) : m_clock(clock) {}

    // ---- The interfaces present, in enumeration order ------------------------------
    void AddInterface(const FakeInterface& entry);
    void RemoveInterface(const std::wstring& path);
    void ClearInterfaces();
    void SetEnumerationFails(bool fails);
    // What InterfaceLocation answers for `path` (by default it cannot tell).
    void SetLocation(const std::wstring& path, const std::wstring& location);

    // ---- Scripts -----------------------------------------------------------------
    // A report that the next read delivers (report id first); Completed.
    void QueueReport(const std::vector<uint8_t>& report);
    void QueueRead(const FakeIo& outcome);
    void QueueWrite(const FakeIo& outcome);
    // What a read does when its script is empty: TimedOut (waits its whole time on
    // the clock, the default) or Refused (fails at once).
    void SetIdleRead(HidIo io);
    // Called after every report written (report id first) with the path of the
    // interface written to; may queue the answer.
    void SetResponder(std::function<void(const std::wstring& path, const std::vector<uint8_t>&)> r);

    // ---- Observations --------------------------------------------------------------
    std::vector<std::vector<uint8_t>> Written();  // every report handed to Write, in order
    int ReadCalls();
    int WriteCalls();
    int OpenHandleCount();
    std::vector<std::wstring> OpenPaths();  // paths of the open handles
    int EnumerationCount();
    int QueryCount();  // QueryAttributes calls
    // Faults of the caller: closes of handles that are not open, transfers on
    // handles that are not open or of the wrong direction.
    std::vector<std::string> Anomalies();

    // ---- IHidPlatform -------------------------------------------------------------
    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;

private:
    struct OpenHandle {
        std::wstring path;
        bool forRead = false;
    };
    HidHandle OpenHandleFor(const std::wstring& path, bool forRead);
    const FakeInterface* Find(const std::wstring& path) const;

    IClock& m_clock;
    std::mutex m_mutex;
    std::vector<FakeInterface> m_interfaces;
    std::map<std::wstring, std::wstring> m_locations;
    bool m_enumerationFails = false;
    std::deque<FakeIo> m_reads;
    std::deque<FakeIo> m_writes;
    HidIo m_idleRead = HidIo::TimedOut;
    std::function<void(const std::wstring&, const std::vector<uint8_t>&)> m_responder;
    std::vector<std::vector<uint8_t>> m_written;
    int m_readCalls = 0;
    int m_writeCalls = 0;
    int m_enumerations = 0;
    int m_queries = 0;
    HidHandle m_nextHandle = 100;
    std::map<HidHandle, OpenHandle> m_open;
    std::vector<std::string> m_anomalies;
};

}  // namespace vantrel::test
