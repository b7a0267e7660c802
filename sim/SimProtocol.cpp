#include "sim/SimProtocol.h"

namespace vantrel::sim {

namespace {

constexpr SimFirmware kApp = SimFirmware::Application;
constexpr SimFirmware kBoot = SimFirmware::BootLoader;

// The application's commands: family byte 2 or 3, then kind and word.
// The boot loader's commands: family byte 05.
const SimCommandInfo kCommands[] = {
    {"QueryWriterLevel", kApp, 1, 0x0005000Bu, SimAction::Answer, {0}, 1},
    {"ConnectWriter", kApp, 1, 0x0006000Bu, SimAction::Answer, {0}, 1},
    {"DownData", kApp, 3, 0x00000008u, SimAction::AnswerTwice, {-1}, 1},
    {"DownIC", kApp, 2, 0x85D00008u, SimAction::Answer, {18}, 1},
    {"DownEE", kApp, 3, 0x84000008u, SimAction::AnswerTwice, {-1}, 1},
    {"DownOPT", kApp, 2, 0x85000008u, SimAction::Answer, {1, 4, 6, 8}, 4},
    {"DownSN", kApp, 2, 0x85F00008u, SimAction::Answer, {34}, 1},
    {"DownPass", kApp, 2, 0x85500008u, SimAction::Answer, {8}, 1},
    {"DownID", kApp, 2, 0x85600008u, SimAction::Answer, {26}, 1},
    {"DownProCheckSum", kApp, 2, 0x85100008u, SimAction::Answer, {8}, 1},
    {"DownINRCSET", kApp, 2, 0x85A00008u, SimAction::Answer, {5}, 1},
    {"DownIOSet", kApp, 2, 0x87000008u, SimAction::Answer, {1}, 1},
    {"DownICName", kApp, 2, 0x88000008u, SimAction::Answer, {16}, 1},
    {"DownLeve", kApp, 2, 0x85C00008u, SimAction::Answer, {1}, 1},
    {"DisConnectWriter", kApp, 1, 0x0002000Bu, SimAction::Answer, {0}, 1},
    {"EnterLdrom", kApp, 1, 0x0007000Bu, SimAction::LeaveForOther, {0}, 1},
    {"EraseApromPage", kBoot, 1, 0x00010001u, SimAction::Answer, {2}, 1},
    {"ProgramApromPage", kBoot, 3, 0x00010001u, SimAction::TakePage, {2}, 1},
    {"ReadApromChecksum", kBoot, 4, 0x00010001u, SimAction::Answer, {2}, 1},
    {"QueryBootLoader", kBoot, 5, 0x00000000u, SimAction::Answer, {1}, 1},
    {"SystemReset", kBoot, 1, 0x00010002u, SimAction::LeaveForOther, {0}, 1},
};

bool FamilyFits(SimFirmware firmware, uint8_t family) {
    if (firmware == kBoot) return family == 0x05;
    return family == 0x02 || family == 0x03;
}

}  // namespace

uint32_t RecordWord(const uint8_t* record) {
    return static_cast<uint32_t>(record[2]) | static_cast<uint32_t>(record[3]) << 8 |
           static_cast<uint32_t>(record[4]) << 16 | static_cast<uint32_t>(record[5]) << 24;
}

uint16_t RecordLength(const uint8_t* record) {
    return static_cast<uint16_t>(record[6] | record[7] << 8);
}

uint32_t RecordPageAddress(const uint8_t* record) {
    return static_cast<uint32_t>(record[8]) | static_cast<uint32_t>(record[9]) << 8 |
           static_cast<uint32_t>(record[10]) << 16 | static_cast<uint32_t>(record[11]) << 24;
}

const SimCommandInfo* DecodeCommand(SimFirmware firmware, const uint8_t* record) {
    if (!FamilyFits(firmware, record[0])) return nullptr;
    const uint32_t word = RecordWord(record);
    for (const SimCommandInfo& command : kCommands) {
        if (command.firmware == firmware && command.kind == record[1] && command.word == word)
            return &command;
    }
    return nullptr;
}

bool LengthFits(const SimCommandInfo& command, uint16_t length) {
    for (int i = 0; i < command.lengthCount; ++i) {
        if (command.lengths[i] < 0 || command.lengths[i] == length) return true;
    }
    return false;
}

const SimCommandInfo* FindCommand(const std::string& name) {
    for (const SimCommandInfo& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

}  // namespace vantrel::sim
