#include "configure/CommandBuilders.h"

#include <cstring>

#include "protocol/ApplicationProtocol.h"

namespace vantrel {

namespace {

void PutLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint16_t BigEndian16(uint8_t high, uint8_t low) { return static_cast<uint16_t>(high << 8 | low); }

}  // namespace

void SetCommandHeader(ConfigurationRecord& record, uint8_t requestKind, uint32_t commandWord,
                      uint16_t length) {
    uint8_t* command = record.m_commandRecord;
    command[0] = record.m_nCommandFamily;
    command[1] = requestKind;
    PutLe16(command + 2, static_cast<uint16_t>(commandWord));
    PutLe16(command + 4, static_cast<uint16_t>(commandWord >> 16));
    PutLe16(command + 6, length);
}

void SetParameterCommand(ConfigurationRecord& record, uint32_t commandWord, const uint8_t* payload,
                         uint16_t length) {
    SetCommandHeader(record, kRequestParameter, commandWord, length);
    std::memcpy(record.m_commandRecord + kPayloadOffset, payload,
                length < kPayloadSize ? length : kPayloadSize);
}

uint32_t CommandWordOf(const uint8_t commandRecord[64]) {
    return static_cast<uint32_t>(commandRecord[2]) | static_cast<uint32_t>(commandRecord[3]) << 8 |
           static_cast<uint32_t>(commandRecord[4]) << 16 |
           static_cast<uint32_t>(commandRecord[5]) << 24;
}

uint16_t CommandLengthOf(const uint8_t commandRecord[64]) {
    return static_cast<uint16_t>(commandRecord[6] | commandRecord[7] << 8);
}

void BuildDownIcCommand(ConfigurationRecord& record) {
    SetCommandHeader(record, kRequestParameter, command_word::kDownIC, 18);
    const uint8_t* option = record.m_optionBlock;
    uint8_t* payload = record.m_commandRecord + kPayloadOffset;
    payload[0] = record.m_icDescriptor[9];
    payload[1] = option[20];
    payload[2] = option[32];
    payload[3] = option[35];
    // Both bounds are stored big-endian and sent plus one, little-endian; a second
    // bound of zero is sent as zero.
    PutLe16(payload + 4, static_cast<uint16_t>(BigEndian16(option[4], option[5]) + 1));
    if (option[33] == 0 && option[34] == 0) {
        PutLe16(payload + 6, 0);
    } else {
        PutLe16(payload + 6, static_cast<uint16_t>(BigEndian16(option[33], option[34]) + 1));
    }
    payload[8] = option[26] != 0 ? 4 : 2;
    payload[9] = record.m_nLowMask;
    payload[10] = record.m_nHighMask;
    payload[11] = record.m_nFamilyTag;
    payload[12] = record.m_nPackFlag;
    payload[13] = record.m_icParamBlock[4];
    std::memcpy(payload + 14, record.m_icParamBlock + 8, 8);
}

void BuildDownOptCommand(ConfigurationRecord& record) {
    const uint8_t* descriptor = record.m_icDescriptor;
    uint8_t* payload = record.m_commandRecord + kPayloadOffset;
    uint16_t length = 4;
    std::memcpy(payload, descriptor, 4);
    if (record.m_nCommandFamily == 2) {
        const uint8_t icType = descriptor[9];
        if (icType == 'B' || icType == 'D') {
            length = 8;
            std::memcpy(payload + 4, descriptor + 10, 4);
        } else if (icType == 'C') {
            length = 6;
            std::memcpy(payload + 4, descriptor + 10, 2);
        }
    } else if (record.m_nCommandFamily == 3) {
        length = 1;
        const uint8_t* family = record.m_optionBlock + 12;
        const uint32_t familyNumber =
            static_cast<uint32_t>(family[0]) | static_cast<uint32_t>(family[1]) << 8 |
            static_cast<uint32_t>(family[2]) << 16 | static_cast<uint32_t>(family[3]) << 24;
        payload[0] = descriptor[1];
        if (familyNumber == 0x35 && record.m_inrcSet[4] == 0) payload[0] |= 0x10;
    }
    SetCommandHeader(record, kRequestParameter, command_word::kDownOPT, length);
}

void BuildDataReport(const uint8_t* source, bool raw, uint8_t lowMask, uint8_t highShift,
                     uint8_t highMask, uint8_t report[64]) {
    if (raw) {
        std::memcpy(report, source, kDataReportSize);
        return;
    }
    for (uint32_t i = 0; i < kDataReportSize; i += 2) {
        const uint32_t word = static_cast<uint32_t>(source[i] | source[i + 1] << 8);
        report[i] = static_cast<uint8_t>(word & lowMask);
        report[i + 1] = static_cast<uint8_t>((word >> highShift) & highMask);
    }
}

bool IsRawDataCommand(uint32_t commandWord) { return (commandWord >> 16) == kRawDataWordHigh; }

}  // namespace vantrel
