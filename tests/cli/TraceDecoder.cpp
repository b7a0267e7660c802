#include "tests/cli/TraceDecoder.h"

#include <sstream>

namespace vantrel::test {

namespace {

struct KnownWord {
    bool boot;
    uint8_t kind;
    uint32_t word;
    const char* name;
};

// The words as the writer's protocol defines them.
constexpr KnownWord kWords[] = {
    {false, 1, 0x0005000B, "QueryWriterLevel"}, {false, 1, 0x0006000B, "ConnectWriter"},
    {false, 3, 0x00000008, "DownData"},         {false, 2, 0x85D00008, "DownIC"},
    {false, 3, 0x84000008, "DownEE"},           {false, 2, 0x85000008, "DownOPT"},
    {false, 2, 0x85F00008, "DownSN"},           {false, 2, 0x85500008, "DownPass"},
    {false, 2, 0x85600008, "DownID"},           {false, 2, 0x85100008, "DownProCheckSum"},
    {false, 2, 0x85A00008, "DownINRCSET"},      {false, 2, 0x87000008, "DownIOSet"},
    {false, 2, 0x88000008, "DownICName"},       {false, 2, 0x85C00008, "DownLeve"},
    {false, 1, 0x0002000B, "DisConnectWriter"}, {false, 1, 0x0007000B, "EnterLdrom"},
    {true, 1, 0x00010001, "EraseApromPage"},    {true, 3, 0x00010001, "ProgramApromPage"},
    {true, 4, 0x00010001, "ReadApromChecksum"}, {true, 5, 0x00000000, "QueryBootLoader"},
    {true, 1, 0x00010002, "SystemReset"},
};

bool ParseHex(const std::string& hex, std::vector<uint8_t>& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        auto digit = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            return -1;  // the format is lowercase only
        };
        const int hi = digit(hex[i]);
        const int lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return true;
}

}  // namespace

bool DecodeTrace(const std::string& text, std::vector<TracedCommand>& commands,
                 std::string& error) {
    commands.clear();
    std::istringstream in(text);
    std::string line;
    int pendingData = 0;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        std::string direction, identity, hex, extra;
        fields >> direction >> identity >> hex;
        std::vector<uint8_t> bytes;
        if ((direction != "OUT" && direction != "IN") ||
            (identity != "app" && identity != "boot") || !ParseHex(hex, bytes) ||
            (fields >> extra) || line != direction + " " + identity + " " + hex) {
            error = "line " + std::to_string(lineNumber) + " is not a trace line: " + line;
            return false;
        }
        if (direction == "IN") continue;
        if (bytes.size() != 64) {
            error = "line " + std::to_string(lineNumber) + ": an OUT report of " +
                    std::to_string(bytes.size()) + " bytes";
            return false;
        }
        const bool boot = identity == "boot";
        if (pendingData > 0) {
            --pendingData;
            ++commands.back().dataReports;
            continue;
        }
        TracedCommand command;
        command.boot = boot;
        std::copy(bytes.begin(), bytes.end(), command.bytes.begin());
        const uint8_t kind = bytes[1];
        const uint32_t word = static_cast<uint32_t>(bytes[2]) | bytes[3] << 8 | bytes[4] << 16 |
                              static_cast<uint32_t>(bytes[5]) << 24;
        command.name = "Unknown";
        for (const KnownWord& known : kWords) {
            if (known.boot == boot && known.kind == kind && known.word == word) {
                command.name = known.name;
            }
        }
        if (command.name == "ProgramApromPage") {
            pendingData = 8;
        } else if (kind == 3 && !boot) {
            const int length = bytes[6] | bytes[7] << 8;
            pendingData = (length + 63) / 64;
        }
        commands.push_back(command);
    }
    return true;
}

std::vector<std::string> Names(const std::vector<TracedCommand>& commands) {
    std::vector<std::string> names;
    for (const TracedCommand& c : commands) names.push_back(c.name);
    return names;
}

}  // namespace vantrel::test
