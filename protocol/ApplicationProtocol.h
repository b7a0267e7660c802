#pragma once
// The writer's application protocol: its command words, the request kinds, and the
// fixed values of its command and reply records.
//
// Command record: byte 0 command family, byte 1 request kind, bytes 2-5 command
// word (little-endian), bytes 6-7 length (little-endian), bytes 8-63 payload.
// Reply record: byte 1 status, bytes 8-11 a value sent most significant byte first.

#include <cstdint>

namespace vantrel {

namespace command_word {
constexpr uint32_t kQueryWriterLevel = 0x0005000B;
constexpr uint32_t kConnectWriter = 0x0006000B;
constexpr uint32_t kDownData = 0x00000008;
constexpr uint32_t kDownIC = 0x85D00008;
constexpr uint32_t kDownEE = 0x84000008;
constexpr uint32_t kDownOPT = 0x85000008;
constexpr uint32_t kDownSN = 0x85F00008;
constexpr uint32_t kDownPass = 0x85500008;
constexpr uint32_t kDownID = 0x85600008;
constexpr uint32_t kDownProCheckSum = 0x85100008;
constexpr uint32_t kDownINRCSET = 0x85A00008;
constexpr uint32_t kDownIOSet = 0x87000008;
constexpr uint32_t kDownICName = 0x88000008;
constexpr uint32_t kDownLeve = 0x85C00008;
constexpr uint32_t kDisConnectWriter = 0x0002000B;
constexpr uint32_t kEnterLdrom = 0x0007000B;
}  // namespace command_word

// Request kinds (command record byte 1).
constexpr uint8_t kRequestControl = 1;    // no payload
constexpr uint8_t kRequestParameter = 2;  // payload in the command record
constexpr uint8_t kRequestBulkData = 3;   // data reports follow
// The request kind of EnterLdrom (command_word::kEnterLdrom).
constexpr uint8_t kEnterLdromRequest = 1;

// Upper half of the command word (bytes 4-5) whose data reports travel unpacked.
constexpr uint16_t kRawDataWordHigh = 0x8400;

// Reply status (reply record byte 1): 0x90 refuses, every other value accepts.
constexpr uint8_t kStatusAccepted = 0x80;
constexpr uint8_t kStatusRefused = 0x90;

// Layout of the two records.
constexpr uint32_t kRecordSize = 64;
constexpr uint32_t kPayloadOffset = 8;
constexpr uint32_t kPayloadSize = kRecordSize - kPayloadOffset;
constexpr uint32_t kDataReportSize = 64;

// Writer level (reply bytes 8-11) from which the programming mode and the IC name
// are sent.
constexpr int32_t kWriterLevelThreshold = 0x03000000;

// Pause between the command record of a bulk-data command and its first reply.
constexpr uint32_t kBulkReplyPauseMs = 2000;

}  // namespace vantrel
