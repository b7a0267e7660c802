// Injected faults of the simulated writer: refusals, silence, wrong checksums and
// a boot loader that never answers.

#include <gtest/gtest.h>

#include "tests/sim/SimTestLink.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::sim::test;

namespace {

Fault Parsed(const std::string& text) {
    Fault fault;
    std::string error;
    EXPECT_TRUE(ParseFault(text, fault, error)) << error;
    return fault;
}

SimOptions WithFaults(std::initializer_list<const char*> faults, bool boot = false) {
    SimOptions options;
    options.startInBootLoader = boot;
    for (const char* text : faults) options.faults.push_back(Parsed(text));
    return options;
}

const Bytes64 kDownIC = AppCommand(2, 0x85D00008, 18);

}  // namespace

TEST(SimFaults, RefuseHitsOnlyTheNamedOccurrence) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"refuse:DownIC#2"}));
    SimLink link(writer.Platform(), SimWriter::ApplicationPath());
    for (uint8_t expected : {0x80, 0x90, 0x80}) {
        link.Send(kDownIC);
        EXPECT_EQ(link.Reply()[1], expected);
    }
}

TEST(SimFaults, RefusedBulkCommandExpectsNoData) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"refuse:DownData"}));
    SimLink link(writer.Platform(), SimWriter::ApplicationPath());
    link.Send(AppCommand(3, 0x00000008, 128));
    EXPECT_EQ(link.Reply()[1], 0x90);
    // The tool stops here; its next command is decoded as a command.
    link.Send(AppCommand(1, 0x0006000B, 0));
    EXPECT_EQ(link.Reply()[1], 0x80);
    EXPECT_EQ(writer.RecordedNames(), (std::vector<std::string>{"DownData", "ConnectWriter"}));
}

TEST(SimFaults, SilentCommandLetsTheReadWaitOutItsTimeout) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"silent:ConnectWriter", "silent:DownEE"}));
    SimLink link(writer.Platform(), SimWriter::ApplicationPath());
    link.Send(AppCommand(1, 0x0006000B, 0));
    EXPECT_TRUE(link.NoReply(4000));
    EXPECT_EQ(clock.SleptTotal(), 4000u);
    link.Send(AppCommand(1, 0x0006000B, 0));  // the second one is answered
    EXPECT_EQ(link.Reply()[1], 0x80);
    link.Send(AppCommand(3, 0x84000008, 64));  // neither reply of a silent bulk command
    EXPECT_TRUE(link.NoReply());
    link.Send(AppCommand(1, 0x0002000B, 0));
    EXPECT_EQ(link.Reply()[1], 0x80);
}

TEST(SimFaults, SilentWriteOnlyCommandIsNotTakenOffTheBus) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"silent:EnterLdrom"}));
    SimLink link(writer.Platform(), SimWriter::ApplicationPath());
    EXPECT_EQ(link.Send(AppCommand(1, 0x0007000B, 0), 4000), HidIo::TimedOut);
    EXPECT_EQ(clock.SleptTotal(), 4000u);
    EXPECT_EQ(writer.Mode(), SimMode::Application);
    EXPECT_TRUE(writer.Trace().empty());
    // The next one is the second occurrence and goes through.
    EXPECT_EQ(link.Send(AppCommand(1, 0x0007000B, 0)), HidIo::Completed);
    EXPECT_EQ(writer.Mode(), SimMode::Absent);
}

TEST(SimFaults, RefusedEnterLdromAndSystemResetKeepTheMode) {
    VirtualClock clock;
    SimWriter app(clock, WithFaults({"refuse:EnterLdrom"}));
    SimLink appLink(app.Platform(), SimWriter::ApplicationPath());
    appLink.Send(AppCommand(1, 0x0007000B, 0));
    clock.Advance(1000);
    EXPECT_EQ(app.Mode(), SimMode::Application);
    EXPECT_TRUE(app.TakeDueEvents().empty());

    SimWriter boot(clock, WithFaults({"refuse:SystemReset"}, true));
    SimLink bootLink(boot.Platform(), SimWriter::BootLoaderPath());
    bootLink.Send(ResetCommand());
    clock.Advance(1000);
    EXPECT_EQ(boot.Mode(), SimMode::BootLoader);
}

TEST(SimFaults, BootLoaderRefusalsShowUpWhereTheToolLooks) {
    VirtualClock clock;
    SimOptions options = WithFaults(
        {"refuse:EraseApromPage#2", "refuse:ProgramApromPage", "refuse:QueryBootLoader"}, true);
    options.aprom.assign(kApromSize, 0x00);
    SimWriter writer(clock, options);
    SimLink link(writer.Platform(), SimWriter::BootLoaderPath());

    link.Send(EraseCommand(0));
    EXPECT_EQ(link.Reply()[1], 0x00);
    link.Send(EraseCommand(512));
    EXPECT_EQ(link.Reply()[1], 0x01);
    EXPECT_EQ(writer.Aprom()[512], 0x00);  // not erased

    // A refused page is taken (no time-out) but not programmed.
    EXPECT_EQ(link.Send(ProgramCommand(0)), HidIo::Completed);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(link.Send(Bytes64{}), HidIo::Completed);
    EXPECT_EQ(writer.Aprom()[0], 0xFF);

    link.Send(QueryBootCommand());
    EXPECT_EQ(link.Reply()[0], 0);
}

TEST(SimFaults, BadSumSpoilsOnlyItsPage) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"badsum:3"}, true));
    SimLink link(writer.Platform(), SimWriter::BootLoaderPath());
    link.Send(ChecksumCommand(2 * 512));
    EXPECT_EQ(LittleEndian32(link.Reply(), 0), 0xFFFFFF80u);
    link.Send(ChecksumCommand(3 * 512));
    EXPECT_NE(LittleEndian32(link.Reply(), 0), 0xFFFFFF80u);
    link.Send(ChecksumCommand(3 * 512));  // every time
    EXPECT_NE(LittleEndian32(link.Reply(), 0), 0xFFFFFF80u);
}

TEST(SimFaults, NoBootNeverAnswersTheQueryButOtherCommands) {
    VirtualClock clock;
    SimWriter writer(clock, WithFaults({"noboot"}, true));
    SimLink link(writer.Platform(), SimWriter::BootLoaderPath());
    for (int i = 0; i < 2; ++i) {
        link.Send(QueryBootCommand());
        EXPECT_TRUE(link.NoReply());
    }
    link.Send(EraseCommand(0));
    EXPECT_EQ(link.Reply()[1], 0x00);
}

TEST(SimFaults, FaultAddedLaterCountsOccurrencesFromTheStart) {
    VirtualClock clock;
    SimWriter writer(clock, SimOptions{});
    SimLink link(writer.Platform(), SimWriter::ApplicationPath());
    link.Send(kDownIC);
    link.Reply();
    writer.AddFault(Parsed("refuse:DownIC#2"));
    link.Send(kDownIC);
    EXPECT_EQ(link.Reply()[1], 0x90);
    writer.ClearFaults();
    link.Send(kDownIC);
    EXPECT_EQ(link.Reply()[1], 0x80);
}
