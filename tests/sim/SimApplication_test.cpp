// The simulated writer's application: command decoding from the wire bytes,
// replies, bulk data and the record that tests assert on.

#include <gtest/gtest.h>

#include "tests/sim/SimTestLink.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::sim::test;

namespace {

class SimApplicationTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SimWriter writer{clock, SimOptions{}};
    SimLink link{writer.Platform(), SimWriter::ApplicationPath()};
};

}  // namespace

TEST_F(SimApplicationTest, AcceptsTheWholeConfigurationSequenceByItsCommandWords) {
    struct Step {
        const char* name;
        uint8_t kind;
        uint32_t word;
        uint16_t length;
    };
    const Step steps[] = {
        {"ConnectWriter", 1, 0x0006000B, 0},    {"DownIC", 2, 0x85D00008, 18},
        {"DownOPT", 2, 0x85000008, 6},          {"DownIC", 2, 0x85D00008, 18},
        {"DownSN", 2, 0x85F00008, 34},          {"DownPass", 2, 0x85500008, 8},
        {"DownID", 2, 0x85600008, 26},          {"DownProCheckSum", 2, 0x85100008, 8},
        {"DownINRCSET", 2, 0x85A00008, 5},      {"DownIOSet", 2, 0x87000008, 1},
        {"DownICName", 2, 0x88000008, 16},      {"DownLeve", 2, 0x85C00008, 1},
        {"DisConnectWriter", 1, 0x0002000B, 0},
    };
    std::vector<std::string> names;
    for (const Step& step : steps) {
        Bytes64 command = AppCommand(step.kind, step.word, step.length);
        command[0] = 3;  // family byte 3 is the application's too
        ASSERT_EQ(link.Send(command), HidIo::Completed) << step.name;
        const Bytes64 reply = link.Reply();
        EXPECT_EQ(reply[1], 0x80) << step.name;
        names.push_back(step.name);
    }
    EXPECT_EQ(writer.RecordedNames(), names);
    const auto record = writer.RecordedCommands();
    EXPECT_EQ(record[1].occurrence, 1);
    EXPECT_EQ(record[3].occurrence, 2);  // the second DownIC
    Bytes64 downOpt = AppCommand(2, 0x85000008, 6);
    downOpt[0] = 3;
    EXPECT_EQ(record[2].bytes, downOpt);
    EXPECT_TRUE(writer.Anomalies().empty());

    writer.ClearRecord();
    EXPECT_TRUE(writer.RecordedCommands().empty());
}

TEST_F(SimApplicationTest, WriterLevelComesMostSignificantByteFirst) {
    writer.SetLevel(0x12345678);
    // 02 01 0B 00 05 00 00 00: QueryWriterLevel as it appears on the wire.
    link.Send(Record({0x02, 0x01, 0x0B, 0x00, 0x05, 0x00, 0x00, 0x00}));
    const Bytes64 reply = link.Reply();
    EXPECT_EQ(reply[1], 0x80);
    EXPECT_EQ(reply[8], 0x12);
    EXPECT_EQ(reply[9], 0x34);
    EXPECT_EQ(reply[10], 0x56);
    EXPECT_EQ(reply[11], 0x78);
}

TEST_F(SimApplicationTest, BulkCommandIsAnsweredAfterTheCommandAndAfterItsDataReports) {
    // DownData with length 100: two data reports.
    link.Send(Record({0x02, 0x03, 0x08, 0x00, 0x00, 0x00, 100, 0x00}));
    EXPECT_EQ(link.Reply()[1], 0x80);
    EXPECT_TRUE(link.NoReply());

    Bytes64 first{}, second{};
    first.fill(0x11);
    second.fill(0x22);
    link.Send(first);
    EXPECT_TRUE(link.NoReply());
    link.Send(second);
    EXPECT_EQ(link.Reply()[1], 0x80);

    // Data reports are taken as data, not decoded as commands.
    auto record = writer.RecordedCommands();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].name, "DownData");
    ASSERT_EQ(record[0].data.size(), 2u);
    EXPECT_EQ(record[0].data[0], first);
    EXPECT_EQ(record[0].data[1], second);

    // DownEE with length 0: no data report, both replies at once.
    link.Send(AppCommand(3, 0x84000008, 0));
    EXPECT_EQ(link.Reply()[1], 0x80);
    EXPECT_EQ(link.Reply()[1], 0x80);
    record = writer.RecordedCommands();
    EXPECT_EQ(record.back().name, "DownEE");
    EXPECT_TRUE(record.back().data.empty());

    // The next report is a command again.
    link.Send(AppCommand(1, 0x0002000B, 0));
    EXPECT_EQ(link.Reply()[1], 0x80);
    EXPECT_EQ(writer.RecordedNames().back(), "DisConnectWriter");
    EXPECT_TRUE(writer.Anomalies().empty());
}

TEST_F(SimApplicationTest, UnknownCommandsAreRecordedAndNeverAnswered) {
    const Bytes64 wrong[] = {
        AppCommand(2, 0x85D00009, 18),  // a command word off by one
        AppCommand(1, 0x85D00008, 18),  // DownIC's word with the wrong request kind
        AppCommand(1, 0x0B000600, 0),   // ConnectWriter's word in the wrong byte order
        QueryBootCommand(),             // a boot-loader command sent to the application
        Record({0x00, 0x01, 0x0B, 0x00, 0x06, 0x00}),  // family byte 0
    };
    for (const Bytes64& command : wrong) {
        ASSERT_EQ(link.Send(command), HidIo::Completed);
        EXPECT_TRUE(link.NoReply());
    }
    const auto record = writer.RecordedCommands();
    ASSERT_EQ(record.size(), 5u);
    for (const RecordedCommand& command : record) {
        EXPECT_FALSE(command.known);
        EXPECT_EQ(command.name, "Unknown");
    }
    EXPECT_EQ(writer.Anomalies().size(), 5u);
}

TEST_F(SimApplicationTest, LengthThatDoesNotFitTheCommandIsAnAnomalyButStillAnswered) {
    link.Send(AppCommand(2, 0x85D00008, 22));  // DownIC carries 18 in its length field
    EXPECT_EQ(link.Reply()[1], 0x80);
    link.Send(AppCommand(2, 0x85000008, 5));  // DownOPT takes 1, 4, 6 or 8
    EXPECT_EQ(link.Reply()[1], 0x80);
    const auto anomalies = writer.Anomalies();
    ASSERT_EQ(anomalies.size(), 2u);
    EXPECT_EQ(anomalies[0], "DownIC with length 22");
    EXPECT_EQ(anomalies[1], "DownOPT with length 5");
}
