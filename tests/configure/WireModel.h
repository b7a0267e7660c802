#pragma once
// What the writer should receive during configurations, worked out from the plain
// items of the control files: the command records (with the bytes that earlier
// commands leave in the record) and the data reports. Written out step by step so
// that it does not share code with the tool's encoders.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "configure/ControlFileWriter.h"
#include "sim/SimWriter.h"

namespace vantrel::test {

using Report = std::array<uint8_t, 64>;

struct WireCommand {
    std::string name;
    Report bytes{};
    std::vector<Report> data;
};

// What one run is expected to do beyond the file's contents.
struct RunExpectation {
    bool sendIoSet = true;
    bool sendIcName = true;
    uint8_t programMode = 3;
    bool wideOptions = false;
};

class WireModel {
public:
    // QueryWriterLevel with the command family of the file about to be configured.
    void QueryWriterLevel(const ControlFileContents& file);
    // Every step of a successful configuration of `file`.
    void Configuration(const ControlFileContents& file, const RunExpectation& run);

    std::vector<WireCommand> commands;

private:
    void Command(const std::string& name, uint8_t family, uint8_t kind, uint32_t word,
                 uint16_t length, const std::vector<uint8_t>& payload,
                 std::vector<Report> data = {});

    Report m_record{};                    // the tool's command record as it should stand
    std::array<uint8_t, 256> m_eeprom{};  // the tool's EEPROM image as it should stand
};

// Compares what the simulated writer received with the model; on a difference the
// message names the command, the byte and both values.
::testing::AssertionResult SameTraffic(const std::vector<sim::RecordedCommand>& received,
                                       const std::vector<WireCommand>& expected);

}  // namespace vantrel::test
