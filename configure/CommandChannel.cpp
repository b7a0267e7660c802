// The writer's command channel in application mode. Each transaction opens the
// link, writes the command record (and, for bulk data, the data reports), reads
// the replies and closes the link again, holding the link gate throughout so that
// presence tracking never touches the link in between.

#include "app/VantrelCore.h"
#include "configure/CommandBuilders.h"
#include "protocol/ApplicationProtocol.h"

using namespace vantrel;

namespace {

const wchar_t* const kOpenFailedText = L"无法打开USB设备";
const wchar_t* const kWriteFailedText = L"ERROR: Send read command error!\n";
const wchar_t* const kReadFailedText = L"ERROR: Read fail!\n";

}  // namespace

// Both transactions close the link and leave the link gate before they show a
// failure box, so a box left open never holds up presence tracking.

bool CVantrelCore::SendCommand() {
    const wchar_t* box = nullptr;
    bool accepted = false;
    {
        LinkTransaction guard(*this);
        if (!m_hidDevice.Open(static_cast<uint32_t>(m_nVid), static_cast<uint32_t>(m_nPid),
                              static_cast<uint32_t>(m_nAppVersion))) {
            m_view.SetPaneText(kPaneError, kOpenFailedText);
            return false;
        }
        uint32_t transferred = 0;
        if (!m_hidDevice.WriteReport(m_commandRecord, transferred)) {
            box = kWriteFailedText;
        } else if (!m_hidDevice.ReadReport(m_replyRecord, transferred) &&
                   !m_hidDevice.ReadReport(m_replyRecord, transferred)) {
            box = kReadFailedText;
        } else {
            accepted = m_replyRecord[1] != kStatusRefused;
        }
        m_hidDevice.Close();
    }
    if (box != nullptr) m_view.ShowMessage(box, L"Message", kMbSystemModal);
    return accepted;
}

bool CVantrelCore::SendCommandWithData(const uint8_t* data) {
    const wchar_t* box = nullptr;
    bool accepted = false;
    {
        LinkTransaction guard(*this);
        if (!m_hidDevice.Open(static_cast<uint32_t>(m_nVid), static_cast<uint32_t>(m_nPid),
                              static_cast<uint32_t>(m_nAppVersion))) {
            m_view.SetPaneText(kPaneError, kOpenFailedText);
            return false;
        }
        box = TransferWithData(data, accepted);
        m_hidDevice.Close();
    }
    if (box != nullptr) m_view.ShowMessage(box, L"Message", kMbSystemModal);
    return accepted;
}

// The part of a bulk-data transaction between Open and Close. Returns the text of
// the failure box to show, or nullptr; `accepted` tells whether the writer took
// the command and the whole transfer.
const wchar_t* CVantrelCore::TransferWithData(const uint8_t* data, bool& accepted) {
    accepted = false;
    uint32_t transferred = 0;
    if (!m_hidDevice.WriteReport(m_commandRecord, transferred)) return kWriteFailedText;
    // The writer answers a bulk-data command only after it has taken it in.
    m_clock.Sleep(kBulkReplyPauseMs);
    if (!m_hidDevice.ReadReport(m_replyRecord, transferred)) return kReadFailedText;
    if (m_replyRecord[1] == kStatusRefused) return nullptr;

    const uint32_t length = CommandLengthOf(m_commandRecord);
    const bool raw = IsRawDataCommand(CommandWordOf(m_commandRecord));
    uint8_t report[kDataReportSize];
    // The last report carries whole 64 source bytes, also beyond the length.
    for (uint32_t offset = 0; offset < length; offset += kDataReportSize) {
        BuildDataReport(data + offset, raw, m_nLowMask, m_nHighShift, m_nHighMask, report);
        if (!m_hidDevice.WriteReport(report, transferred)) return kWriteFailedText;
    }
    if (!m_hidDevice.ReadReport(m_replyRecord, transferred)) return kReadFailedText;
    accepted = m_replyRecord[1] != kStatusRefused;
    return nullptr;
}
