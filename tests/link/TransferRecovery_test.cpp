// A writer left in the middle of a transfer is brought back by filler reports, in
// either firmware; one that needs nothing gets no filler, one that never answers is
// given up after a bounded number.

#include "link/TransferRecovery.h"

#include <gtest/gtest.h>

#include "app/WriterRecovery.h"
#include "common/Clock.h"
#include "sim/SimWriter.h"
#include "tests/sim/SimTestLink.h"

namespace vantrel::test {
namespace {

using sim::test::Record;
using sim::test::SimLink;

struct RecoveryCase {
    const char* what;
    bool bootLoader;
    sim::test::Bytes64 command;  // left without all its data reports
    int dataSent;                // data reports sent after it before the run "died"
    const char* fault;           // empty: none
    RecoveryOutcome outcome;
    uint32_t fillers;
};

TEST(TransferRecovery, FillersCompleteAPendingTransferAndNothingElse) {
    // ProgramApromPage for page 0x200: 8 data reports follow.
    const auto program = Record({0x05, 0x03, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x02});
    // DownData with 640 data bytes: 10 data reports follow.
    const auto downData = Record({0x02, 0x03, 0x08, 0x00, 0x00, 0x00, 0x80, 0x02});
    const RecoveryCase cases[] = {
        {"idle boot loader", true, {}, -1, "", RecoveryOutcome::Idle, 0},
        {"idle application", false, {}, -1, "", RecoveryOutcome::Idle, 0},
        // The question takes the 4th data report's place; fillers 5 and 6 go in as data,
        // the second question is the 7th, the third filler the 8th.
        {"page with 3 of 8 data reports", true, program, 3, "", RecoveryOutcome::Recovered, 3},
        {"page without data", true, program, 0, "", RecoveryOutcome::Recovered, 4},
        // The question is the 5th data report; fillers 6-10 complete it.
        {"DownData with 4 of 10", false, downData, 4, "", RecoveryOutcome::Recovered, 5},
        {"a boot loader that never answers", true, {}, -1, "noboot", RecoveryOutcome::NoAnswer, 8},
    };
    for (const RecoveryCase& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualClock clock;
        sim::SimOptions options;
        options.startInBootLoader = c.bootLoader;
        if (*c.fault != '\0') {
            sim::Fault fault;
            std::string error;
            ASSERT_TRUE(sim::ParseFault(c.fault, fault, error)) << error;
            options.faults.push_back(fault);
        }
        sim::SimWriter writer(clock, options);
        const std::wstring path =
            c.bootLoader ? sim::SimWriter::BootLoaderPath() : sim::SimWriter::ApplicationPath();
        if (c.dataSent >= 0) {
            SimLink link(writer.Platform(), path);
            ASSERT_EQ(link.Send(c.command), HidIo::Completed);
            for (int i = 0; i < c.dataSent; ++i) link.Send(Record({0x11, 0x22}));
        }
        uint32_t fillers = 99;
        const uint16_t version = c.bootLoader ? 0x8888 : 0x0100;
        EXPECT_EQ(RecoverWriter(writer.Platform(), path, version, &fillers), c.outcome);
        EXPECT_EQ(fillers, c.fillers);
        if (c.outcome == RecoveryOutcome::NoAnswer) continue;
        // The firmware now takes a command as a command.
        SimLink link(writer.Platform(), path);
        const auto question = c.bootLoader ? Record({0x05, 0x05, 0, 0, 0, 0, 0x01})
                                           : Record({0x02, 0x01, 0x0B, 0x00, 0x05, 0x00});
        ASSERT_EQ(link.Send(question), HidIo::Completed);
        HidIo io;
        uint32_t received = 0;
        link.Receive(io, received, 100);
        EXPECT_EQ(io, HidIo::Completed);
    }
}

}  // namespace
}  // namespace vantrel::test
