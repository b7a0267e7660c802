// The writer's command channel in application mode. Each transaction opens the
// link, writes the command record (and, for bulk data, the data reports), reads
// the replies and closes the link again, holding the link gate throughout so that
// presence tracking never touches the link in between.

#include "app/VantrelCore.h"
#include "configure/CommandBuilders.h"
#include "configure/CommandWords.h"

using namespace vantrel;

namespace {

const wchar_t* const kOpenFailedText = L"无法打开USB设备";
const wchar_t* const kWriteFailedText = L"ERROR: Send read command error!\n";
const wchar_t* const kReadFailedText = L"ERROR: Read fail!\n";

}  // namespace

bool CVantrelCore::SendCommand() {
    LinkTransaction guard(*this);
    if (!m_hidDevice.Open(static_cast<uint32_t>(m_nVid), static_cast<uint32_t>(m_nPid),
                          static_cast<uint32_t>(m_nAppVersion))) {
        m_view.SetPaneText(kPaneError, kOpenFailedText);
        return false;
    }
    uint32_t transferred = 0;
    if (!m_hidDevice.WriteReport(m_commandRecord, transferred)) {
        m_view.ShowMessage(kWriteFailedText, L"Message", kMbSystemModal);
        m_hidDevice.Close();
        return false;
    }
    if (!m_hidDevice.ReadReport(m_replyRecord, transferred) &&
        !m_hidDevice.ReadReport(m_replyRecord, transferred)) {
        m_view.ShowMessage(kReadFailedText, L"Message", kMbSystemModal);
        m_hidDevice.Close();
        return false;
    }
    const uint8_t status = m_replyRecord[1];
    m_hidDevice.Close();
    return status != kStatusRefused;
}

bool CVantrelCore::SendCommandWithData(const uint8_t* data) {
    LinkTransaction guard(*this);
    if (!m_hidDevice.Open(static_cast<uint32_t>(m_nVid), static_cast<uint32_t>(m_nPid),
                          static_cast<uint32_t>(m_nAppVersion))) {
        m_view.SetPaneText(kPaneError, kOpenFailedText);
        return false;
    }
    auto fail = [this](const wchar_t* text) {
        if (text != nullptr) m_view.ShowMessage(text, L"Message", kMbSystemModal);
        m_hidDevice.Close();
        return false;
    };
    uint32_t transferred = 0;
    if (!m_hidDevice.WriteReport(m_commandRecord, transferred)) return fail(kWriteFailedText);
    // The writer answers a bulk-data command only after it has taken it in.
    m_clock.Sleep(kBulkReplyPauseMs);
    if (!m_hidDevice.ReadReport(m_replyRecord, transferred)) return fail(kReadFailedText);
    if (m_replyRecord[1] == kStatusRefused) return fail(nullptr);

    const uint32_t length = CommandLengthOf(m_commandRecord);
    const bool raw = IsRawDataCommand(CommandWordOf(m_commandRecord));
    uint8_t report[kDataReportSize];
    // The last report carries whole 64 source bytes, also beyond the length.
    for (uint32_t offset = 0; offset < length; offset += kDataReportSize) {
        BuildDataReport(data + offset, raw, m_nLowMask, m_nHighShift, m_nHighMask, report);
        if (!m_hidDevice.WriteReport(report, transferred)) return fail(kWriteFailedText);
    }
    if (!m_hidDevice.ReadReport(m_replyRecord, transferred)) return fail(kReadFailedText);
    const uint8_t status = m_replyRecord[1];
    m_hidDevice.Close();
    return status != kStatusRefused;
}
