// ConfigureWriter: decodes a checked control file, asks the writer for its level
// (and, for some IC types, the operator for the programming mode), then sends the
// fifteen steps from ConnectWriter to DisConnectWriter. The first step that fails
// ends the run with a message box naming it; nothing more is sent after it.

#include <cstring>

#include "app/VantrelCore.h"
#include "configure/CommandBuilders.h"
#include "configure/DecodeConfiguration.h"
#include "configure/IcRules.h"
#include "protocol/ApplicationProtocol.h"

using namespace vantrel;

namespace {

bool SendControl(CVantrelCore& core, uint32_t commandWord) {
    SetCommandHeader(core, kRequestControl, commandWord, 0);
    return core.SendCommand();
}

bool SendParameter(CVantrelCore& core, uint32_t commandWord, const uint8_t* payload,
                   uint16_t length) {
    SetParameterCommand(core, commandWord, payload, length);
    return core.SendCommand();
}

bool ConnectWriter(CVantrelCore& core) { return SendControl(core, command_word::kConnectWriter); }

bool DownData(CVantrelCore& core) {
    SetCommandHeader(core, kRequestBulkData, command_word::kDownData,
                     static_cast<uint16_t>(2u * core.m_nProgramWords));
    return core.SendCommandWithData(core.m_programImage);
}

bool DownIC(CVantrelCore& core) { return core.DownIC(); }

bool DownEE(CVantrelCore& core) {
    SetCommandHeader(core, kRequestBulkData, command_word::kDownEE, core.m_nEepromCount);
    return core.SendCommandWithData(core.m_eepromImage);
}

bool DownOPT(CVantrelCore& core) {
    BuildDownOptCommand(core);
    return core.SendCommand();
}

bool DownSN(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownSN, core.m_snBlock, 34);
}

bool DownPass(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownPass, core.m_passBlock, 8);
}

bool DownID(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownID, core.m_idBlock, 26);
}

bool DownProCheckSum(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownProCheckSum, core.m_proCheckSum, 8);
}

bool DownINRCSET(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownINRCSET, core.m_inrcSet, 5);
}

bool DownIOSet(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownIOSet, &core.m_nProgramMode, 1);
}

bool DownICName(CVantrelCore& core) {
    // The only command that clears the payload first: the name's unused bytes go as 0.
    std::memset(core.m_commandRecord + kPayloadOffset, 0, kPayloadSize);
    return SendParameter(core, command_word::kDownICName, core.m_icName, 16);
}

bool DownLeve(CVantrelCore& core) {
    return SendParameter(core, command_word::kDownLeve, &core.m_leve, 1);
}

bool DisConnectWriter(CVantrelCore& core) {
    return SendControl(core, command_word::kDisConnectWriter);
}

bool Always(const CVantrelCore&) { return true; }
bool HasEeprom(const CVantrelCore& core) { return core.m_nEepromCount != 0; }
bool SendsIoSet(const CVantrelCore& core) { return core.m_bSendIoSet != 0; }
bool SendsIcName(const CVantrelCore& core) { return core.m_bSendIcName != 0; }

struct Step {
    bool (*applies)(const CVantrelCore&);
    bool (*run)(CVantrelCore&);
    const wchar_t* failureText;
};

const Step kSteps[] = {
    {Always, ConnectWriter, L"Error：ConnectWriter"},
    {Always, DownData, L"Error：DownData"},
    {Always, DownIC, L"Error：DownIC 1"},
    {HasEeprom, DownEE, L"Error：DownEE"},
    {Always, DownOPT, L"Error：DownOPT"},
    {Always, DownIC, L"Error：DownIC 2"},
    {Always, DownSN, L"Error：DownSN"},
    {Always, DownPass, L"Error：DownPass"},
    {Always, DownID, L"Error：DownID"},
    {Always, DownProCheckSum, L"Error：DownProCheckSum"},
    {Always, DownINRCSET, L"Error：DownINRCSET"},
    {SendsIoSet, DownIOSet, L"Error：DownIOSet"},
    {SendsIcName, DownICName, L"Error：DownICName"},
    {Always, DownLeve, L"Error：DownLeve"},
    {Always, DisConnectWriter, L"Error：DisConnectWriter"},
};

// Asks the writer for its level and sets from it whether the programming mode and
// the IC name are sent and whether the operator is asked. A failed query, or a
// level of 0, leaves everything as the previous run left it.
void ApplyWriterLevel(CVantrelCore& core) {
    if (!SendControl(core, command_word::kQueryWriterLevel)) return;
    const uint8_t* value = core.m_replyRecord + 8;
    const auto level = static_cast<int32_t>(
        static_cast<uint32_t>(value[0]) << 24 | static_cast<uint32_t>(value[1]) << 16 |
        static_cast<uint32_t>(value[2]) << 8 | static_cast<uint32_t>(value[3]));
    if (level == 0) return;
    if (level < kWriterLevelThreshold) {
        core.m_bSendIoSet = 0;
        core.m_bSendIcName = 0;
        return;
    }
    core.m_bSendIoSet = 1;
    core.m_bSendIcName = 1;
    if (AsksProgramMode(core.m_icDescriptor[9])) {
        core.m_nProgramMode = 1;
        core.m_bAskProgramMode = 1;
    } else {
        core.m_nProgramMode = 3;
        core.m_bAskProgramMode = 0;
    }
}

}  // namespace

bool CVantrelCore::DownIC() {
    BuildDownIcCommand(*this);
    return SendCommand();
}

bool CVantrelCore::DecodeConfiguration(const ControlFile& file) {
    const DecodeResult result = DecodeControlFileInto(file, *this);
    if (result == DecodeResult::Ok) return true;
    m_view.ShowMessage(DecodeResultText(result), L"Message", kMbSystemModal);
    return false;
}

bool CVantrelCore::ConfigureWriter(const ControlFile& file) {
    if (!DecodeConfiguration(file)) return false;
    ApplyWriterLevel(*this);
    if (m_bAskProgramMode) m_nProgramMode = m_view.AskProgramMode();
    for (const Step& step : kSteps) {
        if (!step.applies(*this)) continue;
        if (!step.run(*this)) {
            m_view.ShowMessage(step.failureText, L"Message", kMbSystemModal);
            return false;
        }
    }
    return true;
}
