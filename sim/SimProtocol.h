#pragma once
// The writer's own view of the commands it understands: how each firmware
// recognises a 64-byte command record (family byte, request kind, command word)
// and what it expects in the length field. Kept apart from the tool's encoders on
// purpose, so that a wrong command word on either side shows up in the tests.

#include <cstdint>
#include <string>

namespace vantrel::sim {

enum class SimFirmware { Application, BootLoader };

// What the firmware does after taking a command.
enum class SimAction {
    Answer,         // one reply
    AnswerTwice,    // bulk data: a reply after the command, another after the data
    TakePage,       // eight data reports (512 bytes), no reply
    LeaveForOther,  // no reply; restarts into the other firmware
};

struct SimCommandInfo {
    const char* name;
    SimFirmware firmware;
    uint8_t kind;   // request kind, byte 1
    uint32_t word;  // command word, bytes 2-5 little-endian
    SimAction action;
    int lengths[4];  // allowed values of bytes 6-7; {-1} accepts any
    int lengthCount;
};

// The command in `record` as `firmware` reads it, or nullptr when that firmware
// does not know it.
const SimCommandInfo* DecodeCommand(SimFirmware firmware, const uint8_t* record);

// Field readers of a command record.
uint32_t RecordWord(const uint8_t* record);
uint16_t RecordLength(const uint8_t* record);
uint32_t RecordPageAddress(const uint8_t* record);

// True when `length` is one the command accepts.
bool LengthFits(const SimCommandInfo& command, uint16_t length);

// Whether a name is one of the writer's commands (either firmware).
const SimCommandInfo* FindCommand(const std::string& name);

}  // namespace vantrel::sim
