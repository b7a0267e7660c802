#pragma once
// Names the writer command that each report written to the writer starts, as the
// protocol names it ("ConnectWriter", "EraseApromPage", ...), so the front end can
// say which step runs (and which one a silent writer is keeping waiting) without
// the core having to tell. Data reports that follow a bulk command are skipped.

#include <cstddef>
#include <cstdint>

namespace vantrel {

struct WireCommand {
    const char* name = nullptr;  // nullptr for a data report
    bool boot = false;           // sent to the boot loader
    int page = -1;               // 0-135 for the three page commands
};

class WireDecoder {
public:
    // The command of a report of `count` data bytes (report id excluded) written
    // through an interface of HID version `version`.
    WireCommand Decode(uint16_t version, const uint8_t* data, size_t count);
    // A reply read from the writer: a bulk command refused at once is followed by
    // no data reports.
    void Reply(const uint8_t* data, size_t count);
    // The link was closed: data reports never cross a transaction's end.
    void Closed();

private:
    int m_pendingData = 0;
    bool m_awaitingBulkReply = false;
};

}  // namespace vantrel
