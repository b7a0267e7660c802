#pragma once
// A HID platform with at most one interface, whose replies a test scripts: it
// records every report written to it, hands out queued replies one per read, and
// refuses a chosen write. Single-threaded.

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/HidPlatform.h"

namespace vantrel::test {

class ScriptedHidPlatform : public IHidPlatform {
public:
    static constexpr const wchar_t* kPath = L"\\\\?\\hid#vid_0416&pid_5020#7&1a2b3c&0&0000#{4d1e}";

    // A 65-byte input report: report id 0, then `data`, then zeros.
    static std::vector<uint8_t> Reply(std::initializer_list<uint8_t> data);

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

    // The writer: absent, or present with these attributes.
    bool present = true;
    HidAttributes attributes{0x0416, 0x5020, 0x8888};
    // Index (counting every write from 0) of a write to refuse; -1 for none.
    int refuseWrite = -1;
    // Replies still to be read (whole reports, report id first). An empty queue
    // times every read out.
    std::deque<std::vector<uint8_t>> replies;
    // Called on every write, after it has been recorded.
    std::function<void()> onWrite;

    // Every write that was accepted (whole reports, report id first).
    std::vector<std::vector<uint8_t>> writes;
    int writeAttempts = 0;
    int readAttempts = 0;
    int openHandles = 0;

private:
    HidHandle m_nextHandle = 100;
};

}  // namespace vantrel::test
