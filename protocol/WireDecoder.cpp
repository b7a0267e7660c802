#include "protocol/WireDecoder.h"

#include "protocol/ApplicationProtocol.h"
#include "protocol/BootLoaderProtocol.h"
#include "protocol/WriterIdentity.h"

namespace vantrel {

namespace {

struct KnownCommand {
    bool boot;
    uint8_t kind;
    uint32_t word;
    const char* name;
};

constexpr KnownCommand kKnown[] = {
    {false, kRequestControl, command_word::kQueryWriterLevel, "QueryWriterLevel"},
    {false, kRequestControl, command_word::kConnectWriter, "ConnectWriter"},
    {false, kRequestBulkData, command_word::kDownData, "DownData"},
    {false, kRequestParameter, command_word::kDownIC, "DownIC"},
    {false, kRequestBulkData, command_word::kDownEE, "DownEE"},
    {false, kRequestParameter, command_word::kDownOPT, "DownOPT"},
    {false, kRequestParameter, command_word::kDownSN, "DownSN"},
    {false, kRequestParameter, command_word::kDownPass, "DownPass"},
    {false, kRequestParameter, command_word::kDownID, "DownID"},
    {false, kRequestParameter, command_word::kDownProCheckSum, "DownProCheckSum"},
    {false, kRequestParameter, command_word::kDownINRCSET, "DownINRCSET"},
    {false, kRequestParameter, command_word::kDownIOSet, "DownIOSet"},
    {false, kRequestParameter, command_word::kDownICName, "DownICName"},
    {false, kRequestParameter, command_word::kDownLeve, "DownLeve"},
    {false, kRequestControl, command_word::kDisConnectWriter, "DisConnectWriter"},
    {false, kEnterLdromRequest, command_word::kEnterLdrom, "EnterLdrom"},
    {true, kEraseRequest, kPageCommandWord, "EraseApromPage"},
    {true, kProgramRequest, kPageCommandWord, "ProgramApromPage"},
    {true, kChecksumRequest, kPageCommandWord, "ReadApromChecksum"},
    {true, kQueryRequest, 0, "QueryBootLoader"},
    {true, kResetRequest, kResetCommandWord, "SystemReset"},
};

}  // namespace

WireCommand WireDecoder::Decode(uint16_t version, const uint8_t* data, size_t count) {
    WireCommand command;
    if (m_pendingData > 0) {
        --m_pendingData;
        return command;
    }
    if (count < kPayloadOffset) return command;
    command.boot = version == kBootLoaderVersion;
    const uint8_t kind = data[1];
    const uint32_t word = static_cast<uint32_t>(data[2]) | static_cast<uint32_t>(data[3]) << 8 |
                          static_cast<uint32_t>(data[4]) << 16 |
                          static_cast<uint32_t>(data[5]) << 24;
    command.name = "an unknown command";
    for (const KnownCommand& known : kKnown) {
        if (known.boot == command.boot && known.kind == kind && known.word == word) {
            command.name = known.name;
        }
    }
    if (command.boot && word == kPageCommandWord && count >= 11) {
        const uint32_t address = static_cast<uint32_t>(data[8]) |
                                 static_cast<uint32_t>(data[9]) << 8 |
                                 static_cast<uint32_t>(data[10]) << 16;
        command.page = static_cast<int>(address / kApromPageSize);
    }
    if (command.boot && kind == kProgramRequest) {
        m_pendingData = kProgramDataReports;
    } else if (!command.boot && kind == kRequestBulkData) {
        // The data follows the writer's first reply.
        const uint32_t length = static_cast<uint32_t>(data[6]) | static_cast<uint32_t>(data[7])
                                                                     << 8;
        m_pendingData = static_cast<int>((length + kDataReportSize - 1) / kDataReportSize);
        m_awaitingBulkReply = true;
    }
    return command;
}

void WireDecoder::Reply(const uint8_t* data, size_t count) {
    if (m_awaitingBulkReply && count > 1 && data[1] == kStatusRefused) m_pendingData = 0;
    m_awaitingBulkReply = false;
}

void WireDecoder::Closed() {
    m_pendingData = 0;
    m_awaitingBulkReply = false;
}

}  // namespace vantrel
