// The simulated boot loader: its APROM, page erase, program and checksum, the
// boot-loader query and the reset back into the application.

#include <gtest/gtest.h>

#include "common/WindowSystem.h"
#include "tests/sim/SimTestLink.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::sim::test;

namespace {

SimOptions BootOptions() {
    SimOptions options;
    options.startInBootLoader = true;
    return options;
}

class SimBootLoaderTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SimWriter writer{clock, BootOptions()};
    SimLink link{writer.Platform(), SimWriter::BootLoaderPath()};

    void Program(uint32_t address, const std::vector<uint8_t>& page) {
        ASSERT_EQ(link.Send(ProgramCommand(address)), HidIo::Completed);
        for (size_t offset = 0; offset < 512; offset += 64) {
            Bytes64 data;
            std::copy(page.begin() + offset, page.begin() + offset + 64, data.begin());
            ASSERT_EQ(link.Send(data), HidIo::Completed);
        }
    }
    uint32_t Checksum(uint32_t address) {
        link.Send(ChecksumCommand(address));
        return LittleEndian32(link.Reply(), 0);
    }
};

std::vector<uint8_t> CountingPage(uint8_t start) {
    std::vector<uint8_t> page(512);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(start + i);
    return page;
}

uint32_t SumOfWords(const std::vector<uint8_t>& page) {
    uint32_t sum = 0;
    for (size_t i = 0; i < 512; i += 4) {
        sum += uint32_t(page[i]) | uint32_t(page[i + 1]) << 8 | uint32_t(page[i + 2]) << 16 |
               uint32_t(page[i + 3]) << 24;
    }
    return sum;
}

}  // namespace

TEST_F(SimBootLoaderTest, StartsErasedAndAnswersTheBootLoaderQuery) {
    ASSERT_TRUE(link.IsOpen());
    EXPECT_EQ(writer.Aprom(), std::vector<uint8_t>(kApromSize, 0xFF));
    link.Send(QueryBootCommand());
    const Bytes64 reply = link.Reply();
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(Checksum(0), 128u * 0xFFFFFFFFu);  // 0xFFFFFF80
    EXPECT_TRUE(link.NoReply());  // program and reset have no reply: nothing left over
}

TEST_F(SimBootLoaderTest, ProgramsAPageAndReturnsItsChecksumLeastSignificantByteFirst) {
    const std::vector<uint8_t> page = CountingPage(7);
    link.Send(EraseCommand(0x10E00));
    EXPECT_EQ(link.Reply()[1], 0x00);
    Program(0x10E00, page);
    EXPECT_TRUE(link.NoReply());

    const std::vector<uint8_t> aprom = writer.Aprom();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), aprom.begin() + 0x10E00));
    EXPECT_EQ(aprom[0x10DFF], 0xFF);  // 0x10E00 is the last page
    EXPECT_EQ(Checksum(0x10E00), SumOfWords(page));

    const auto record = writer.RecordedCommands();
    ASSERT_EQ(record.size(), 3u);
    EXPECT_EQ(record[1].name, "ProgramApromPage");
    EXPECT_EQ(record[1].data.size(), 8u);
    EXPECT_EQ(record[2].name, "ReadApromChecksum");
    EXPECT_TRUE(writer.Anomalies().empty());
}

TEST_F(SimBootLoaderTest, ProgrammingWithoutEraseOnlyClearsBits) {
    std::vector<uint8_t> first(512, 0xF0);
    std::vector<uint8_t> second(512, 0x3C);
    Program(0, first);
    Program(0, second);
    EXPECT_EQ(writer.Aprom()[0], 0x30);
    link.Send(EraseCommand(0));
    EXPECT_EQ(link.Reply()[1], 0x00);
    EXPECT_EQ(writer.Aprom()[0], 0xFF);
}

TEST_F(SimBootLoaderTest, AddressOutsideThePagesIsRefusedAndReported) {
    link.Send(EraseCommand(0x201));  // not the start of a page
    EXPECT_EQ(link.Reply()[1], 0x01);
    link.Send(EraseCommand(kApromSize));  // past the last page
    EXPECT_EQ(link.Reply()[1], 0x01);
    Program(kApromSize, std::vector<uint8_t>(512, 0));
    EXPECT_EQ(writer.Aprom(), std::vector<uint8_t>(kApromSize, 0xFF));
    EXPECT_EQ(writer.Anomalies().size(), 3u);
}

TEST_F(SimBootLoaderTest, SystemResetComesBackAsTheApplication) {
    ASSERT_EQ(link.Send(ResetCommand()), HidIo::Completed);
    EXPECT_EQ(writer.Mode(), SimMode::Absent);
    clock.Advance(100);
    EXPECT_EQ(writer.Mode(), SimMode::Application);
    const auto events = writer.TakeDueEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].eventType, kDbtDeviceRemoveComplete);
    EXPECT_EQ(events[0].broadcast.name, SimWriter::BootLoaderPath());
    EXPECT_EQ(events[1].eventType, kDbtDeviceArrival);
    EXPECT_EQ(events[1].broadcast.name, SimWriter::ApplicationPath());

    // The application does not know boot-loader commands.
    SimLink app(writer.Platform(), SimWriter::ApplicationPath());
    app.Send(EraseCommand(0));
    EXPECT_TRUE(app.NoReply());
}

TEST_F(SimBootLoaderTest, ApromGivenAtStartIsKept) {
    SimOptions options = BootOptions();
    options.aprom.assign(kApromSize, 0x00);
    options.aprom[512] = 0x01;
    SimWriter preset(clock, options);
    EXPECT_EQ(preset.Aprom(), options.aprom);
    SimLink other(preset.Platform(), SimWriter::BootLoaderPath());
    other.Send(ChecksumCommand(512));
    EXPECT_EQ(LittleEndian32(other.Reply(), 0), 1u);

    EXPECT_FALSE(preset.SetAprom(std::vector<uint8_t>(100, 0)));
    EXPECT_TRUE(preset.SetAprom(std::vector<uint8_t>(kApromSize, 0x5A)));
    EXPECT_EQ(preset.Aprom()[kApromSize - 1], 0x5A);
}
