#pragma once
// Reads a --trace file back into the commands that crossed the link. The command
// words are decoded here from the wire bytes with a table of the test's own, so a
// wrong word in the tool cannot pass unnoticed.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

struct TracedCommand {
    std::string name;   // step or command name, "Unknown" when the word is not known
    bool boot = false;  // sent to the boot loader
    std::array<uint8_t, 64> bytes{};
    int dataReports = 0;  // data reports that followed
};

// false (with `error`) when a line is not in the trace format.
bool DecodeTrace(const std::string& text, std::vector<TracedCommand>& commands, std::string& error);

std::vector<std::string> Names(const std::vector<TracedCommand>& commands);

}  // namespace vantrel::test
