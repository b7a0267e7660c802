// The CLI's trace of the reports that cross the link, taken above CHidDevice's
// platform, matches line for line what the simulated writer saw on its side.

#include "link/TracingPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/ReportTrace.h"
#include "protocol/WriterIdentity.h"
#include "tests/support/SimHarness.h"

using namespace vantrel;

namespace {

std::vector<std::string> ReadLines(FILE* file) {
    std::rewind(file);
    std::vector<std::string> lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(CliTrace, MatchesTheSimulatedWritersOwnTraceInBothModes) {
    VirtualClock clock;
    sim::SimOptions options;
    options.startInBootLoader = true;
    sim::SimWriter writer(clock, options);
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    TracingPlatform tracing(writer.Platform(), TraceIdentity, file);
    CHidDevice device(tracing);

    // A boot-loader query (command and reply), then the application's level query
    // after the writer has come back as its application.
    uint8_t command[64] = {0x05, 0x05, 0, 0, 0, 0, 1, 0};
    uint8_t reply[64] = {};
    uint32_t count = 0;
    ASSERT_TRUE(device.Open(0x0416, 0x5020, 0x8888));
    ASSERT_TRUE(device.WriteReport(command, count));
    ASSERT_TRUE(device.ReadReport(reply, count));
    device.Close();
    writer.PlugIn(sim::SimMode::Application);
    uint8_t level[64] = {0x02, 0x01, 0x0B, 0x00, 0x05, 0x00};
    ASSERT_TRUE(device.Open(0x0416, 0x5020, 0x0100));
    ASSERT_TRUE(device.WriteReport(level, count));
    ASSERT_TRUE(device.ReadReport(reply, count));
    device.Close();

    const std::vector<std::string> ours = ReadLines(file);
    std::fclose(file);
    ASSERT_EQ(ours.size(), 4u);
    EXPECT_EQ(ours, writer.Trace());
    EXPECT_EQ(ours[0].substr(0, 25), "OUT boot 0505000000000100");
    EXPECT_EQ(ours[0].size(), 9u + 128u);
    EXPECT_EQ(ours[3].substr(0, 7), "IN app ");
}

TEST(CliTrace, NamesTheIdentityByVersion) {
    const uint8_t data[3] = {0x00, 0xAB, 0x7F};
    EXPECT_EQ(ReportTraceLine(TraceDirection::Out, TraceIdentity(0x0100), data, 3),
              "OUT app 00ab7f");
    EXPECT_EQ(ReportTraceLine(TraceDirection::In, TraceIdentity(0x8888), data, 2), "IN boot 00ab");
    EXPECT_EQ(ReportTraceLine(TraceDirection::In, TraceIdentity(0x1234), data, 1), "IN v1234 00");
}

}  // namespace
