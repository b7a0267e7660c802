// QueryBootLoader: asks the writer's boot loader whether it is running. Presence
// tracking uses it to confirm a writer that enumerates with the boot loader's
// identity. The caller holds the link gate; on success the link is left open.

#include <cstring>

#include "app/VantrelCore.h"
#include "upgrade/BootLoaderCommands.h"

using namespace vantrel;

namespace {

constexpr uint32_t kQueryCommandWord = 0x00000000;
constexpr uint16_t kQueryLength = 1;

const wchar_t kMsgCaption[] = L"Message";

}  // namespace

uint8_t CVantrelCore::QueryBootLoader() {
    // Bytes 0-7 only: 05 05 00 00 00 00 01 00. The rest keeps what the previous
    // command left there.
    m_commandRecord[0] = kBootLoaderFamily;
    m_commandRecord[1] = kQueryRequest;
    for (int i = 0; i < 4; ++i)
        m_commandRecord[2 + i] = static_cast<uint8_t>(kQueryCommandWord >> (8 * i));
    m_commandRecord[6] = static_cast<uint8_t>(kQueryLength);
    m_commandRecord[7] = static_cast<uint8_t>(kQueryLength >> 8);

    if (!m_hidDevice.Open(kBootLoaderVendorId, kBootLoaderProductId, kBootLoaderVersion)) {
        m_view.ShowMessage(L"Can't Open HID Device\n", kMsgCaption, kMbSystemModal);
        m_hidDevice.Close();
        return 0;
    }
    uint8_t reply[64];
    std::memset(reply, 0, sizeof reply);
    uint32_t transferred = 0;
    if (!m_hidDevice.WriteReport(m_commandRecord, transferred)) {
        m_view.ShowMessage(L"ERROR: Send read command error!\n", kMsgCaption, kMbSystemModal);
        m_hidDevice.Close();
        return 0;
    }
    if (!m_hidDevice.ReadReport(reply, transferred)) {
        m_view.ShowMessage(L"ERROR: Read fail!\n", kMsgCaption, kMbSystemModal);
        m_hidDevice.Close();
        return 0;
    }
    return reply[0];
}
