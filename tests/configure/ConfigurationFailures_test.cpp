// Every way a step can fail, for every step: the link does not open, a report
// cannot be written, no reply comes, the writer refuses. Each ends the run at once
// with the channel's message (if any), the step's message and the job's summary,
// and nothing more is sent.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/configure/ConfigureFiles.h"
#include "tests/configure/ConfigureRig.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct StepCase {
    const char* name;  // as the writer names the command
    int occurrence;
    bool bulk;
    const wchar_t* message;
};

// With the default level and IC type '2' every step runs; step i is transaction
// i + 2 (the level query is the first).
const StepCase kSteps[] = {
    {"ConnectWriter", 1, false, L"Error：ConnectWriter"},
    {"DownData", 1, true, L"Error：DownData"},
    {"DownIC", 1, false, L"Error：DownIC 1"},
    {"DownEE", 1, true, L"Error：DownEE"},
    {"DownOPT", 1, false, L"Error：DownOPT"},
    {"DownIC", 2, false, L"Error：DownIC 2"},
    {"DownSN", 1, false, L"Error：DownSN"},
    {"DownPass", 1, false, L"Error：DownPass"},
    {"DownID", 1, false, L"Error：DownID"},
    {"DownProCheckSum", 1, false, L"Error：DownProCheckSum"},
    {"DownINRCSET", 1, false, L"Error：DownINRCSET"},
    {"DownIOSet", 1, false, L"Error：DownIOSet"},
    {"DownICName", 1, false, L"Error：DownICName"},
    {"DownLeve", 1, false, L"Error：DownLeve"},
    {"DisConnectWriter", 1, false, L"Error：DisConnectWriter"},
};

enum class Breakage {
    NoDevice,            // the link does not open
    CommandWriteFails,   // the command record cannot be written
    Silent,              // no reply (the writer's own fault)
    Refused,             // status 0x90 in the (first) reply
    DataWriteFails,      // bulk: the first data report cannot be written
    SecondReadFails,     // bulk: no reply after the data
    SecondReplyRefused,  // bulk: status 0x90 after the data
};

struct Outcome {
    const wchar_t* channelBox;  // nullptr: none
    bool openPane;              // "无法打开USB设备" in the error pane
    bool stepReceived;          // the writer took the failing command
    size_t dataReports;         // data reports it took with it (bulk)
    int readCalls;              // platform reads in the failing transaction
};

const wchar_t* const kWriteError = L"ERROR: Send read command error!\n";
const wchar_t* const kReadError = L"ERROR: Read fail!\n";

// The file: 100 program words (4 reports), 20 EEPROM entries (1 report).
size_t DataReportsOf(const StepCase& step) { return std::string(step.name) == "DownData" ? 4 : 1; }

Outcome Expected(Breakage breakage, const StepCase& step) {
    switch (breakage) {
        case Breakage::NoDevice:
            return {nullptr, true, false, 0, 0};
        case Breakage::CommandWriteFails:
            return {kWriteError, false, false, 0, 0};
        case Breakage::Silent:  // SendCommand reads twice; each read makes 10 attempts
            return {kReadError, false, true, 0, step.bulk ? 10 : 20};
        case Breakage::Refused:
            return {nullptr, false, true, 0, 1};
        case Breakage::DataWriteFails:
            return {kWriteError, false, true, 0, 1};
        case Breakage::SecondReadFails:
            return {kReadError, false, true, DataReportsOf(step), 11};
        case Breakage::SecondReplyRefused:
            return {nullptr, false, true, DataReportsOf(step), 2};
    }
    return {};
}

void Break(ConfigureRig& rig, Breakage breakage, const StepCase& step, int transaction) {
    switch (breakage) {
        case Breakage::NoDevice:
            rig.link.fault = {LinkFault::NoDevice, transaction, 0};
            break;
        case Breakage::CommandWriteFails:
            rig.link.fault = {LinkFault::WriteFails, transaction, 1};
            break;
        case Breakage::Silent:
            rig.writer.AddFault({sim::Fault::Silent, step.name, step.occurrence, -1});
            rig.link.fault = {LinkFault::None, transaction, 0};  // counts the reads
            break;
        case Breakage::Refused:
            rig.writer.AddFault({sim::Fault::Refuse, step.name, step.occurrence, -1});
            rig.link.fault = {LinkFault::None, transaction, 0};
            break;
        case Breakage::DataWriteFails:
            rig.link.fault = {LinkFault::WriteFails, transaction, 2};
            break;
        case Breakage::SecondReadFails:
            rig.link.fault = {LinkFault::ReadsFail, transaction, 1};
            break;
        case Breakage::SecondReplyRefused:
            rig.link.fault = {LinkFault::RefuseReply, transaction, 1};
            break;
    }
}

const char* NameOf(Breakage breakage) {
    const char* names[] = {"NoDevice",          "CommandWriteFails", "Silent",
                           "Refused",           "DataWriteFails",    "SecondReadFails",
                           "SecondReplyRefused"};
    return names[static_cast<int>(breakage)];
}

void ExpectFailure(Breakage breakage, size_t stepIndex) {
    const StepCase& step = kSteps[stepIndex];
    SCOPED_TRACE(std::string(NameOf(breakage)) + " at " + step.name + " #" +
                 std::to_string(step.occurrence));
    ConfigureRig rig;
    const int transaction = static_cast<int>(stepIndex) + 2;
    Break(rig, breakage, step, transaction);
    const Outcome outcome = Expected(breakage, step);

    EXPECT_FALSE(rig.Configure(SampleContents('2', 100, 20)));

    // The display, call by call.
    std::vector<ViewEvent> expected = {
        {ViewEvent::Progress, 0, L"", L"", 0},
        {ViewEvent::Pane, kPaneError, L"", L"", 0},
        {ViewEvent::Pane, kPaneActivity, L"", L"", 0},
        {ViewEvent::Control, kIdcFirstChecksum, L"", L"", 0},
        {ViewEvent::Control, kIdcSecondChecksum, L"", L"", 0},
        {ViewEvent::Control, kIdcIcName, L"IC-NAME-01234567", L"", 0},
        {ViewEvent::Progress, 80, L"", L"", 0},
        {ViewEvent::Pane, kPaneActivity, L"配置烧录器中......", L"", 0},
    };
    if (outcome.openPane)
        expected.push_back({ViewEvent::Pane, kPaneError, L"无法打开USB设备", L"", 0});
    if (outcome.channelBox)
        expected.push_back({ViewEvent::Message, 0, outcome.channelBox, L"Message", kMbSystemModal});
    expected.push_back({ViewEvent::Message, 0, step.message, L"Message", kMbSystemModal});
    expected.push_back({ViewEvent::Pane, kPaneActivity, L"配置失败", L"", 0});
    expected.push_back({ViewEvent::Message, 0, L"烧录器配置失败！", L"Message", kMbSystemModal});
    expected.push_back({ViewEvent::Progress, 0, L"", L"", 0});
    expected.push_back({ViewEvent::Control, kIdcFirstChecksum, L"", L"", 0});
    expected.push_back({ViewEvent::Control, kIdcSecondChecksum, L"", L"", 0});
    EXPECT_EQ(rig.view.Events(), expected);

    // What the writer took: every step before, the failing one if it got through,
    // and nothing after it.
    const auto received = rig.writer.RecordedCommands();
    const size_t before = stepIndex + 1;  // the level query and the earlier steps
    ASSERT_EQ(received.size(), before + (outcome.stepReceived ? 1 : 0));
    if (outcome.stepReceived) {
        EXPECT_EQ(received.back().name, step.name);
        EXPECT_EQ(received.back().occurrence, step.occurrence);
        EXPECT_EQ(received.back().data.size(), outcome.dataReports);
    } else {
        EXPECT_EQ(received.back().name,
                  stepIndex == 0 ? "QueryWriterLevel" : kSteps[stepIndex - 1].name);
    }
    EXPECT_EQ(rig.link.Transactions(), transaction);
    EXPECT_EQ(rig.link.ReadCallsInFaultyTransaction(), outcome.readCalls);
    EXPECT_EQ(rig.writer.OpenHandleCount(), 0);
}

}  // namespace

TEST(ConfigurationFailures, EveryStepFailsAloneWhenItsLinkBreaks) {
    for (Breakage breakage :
         {Breakage::NoDevice, Breakage::CommandWriteFails, Breakage::Silent, Breakage::Refused}) {
        for (size_t i = 0; i < std::size(kSteps); ++i) ExpectFailure(breakage, i);
    }
}

TEST(ConfigurationFailures, BulkStepsFailAtEitherReadPointAndOnTheirDataReports) {
    for (Breakage breakage :
         {Breakage::DataWriteFails, Breakage::SecondReadFails, Breakage::SecondReplyRefused}) {
        for (size_t i = 0; i < std::size(kSteps); ++i)
            if (kSteps[i].bulk) ExpectFailure(breakage, i);
    }
}

TEST(ConfigurationFailures, SendCommandWaitsOutTwoReadsAndTheBulkCommandOne) {
    // 10 attempts of 4000 ms per read.
    ConfigureRig rig;
    rig.writer.AddFault({sim::Fault::Silent, "DownOPT", 1, -1});
    EXPECT_FALSE(rig.Configure(SampleContents('2', 100, 20)));
    EXPECT_EQ(rig.clock.SleptTotal(), 2u * 2000 + 2u * 10 * 4000);

    ConfigureRig bulk;
    bulk.writer.AddFault({sim::Fault::Silent, "DownEE", 1, -1});
    EXPECT_FALSE(bulk.Configure(SampleContents('2', 100, 20)));
    EXPECT_EQ(bulk.clock.SleptTotal(), 2u * 2000 + 10u * 4000);
}

TEST(ConfigurationFailures, AFailedLevelQueryIsShownAndTheRunGoesOn) {
    struct Case {
        LinkFault::Kind kind;
        const wchar_t* box;
        bool pane;
    };
    for (const Case& k : {Case{LinkFault::NoDevice, nullptr, true},
                          Case{LinkFault::WriteFails, L"ERROR: Send read command error!\n", false},
                          Case{LinkFault::ReadsFail, L"ERROR: Read fail!\n", false},
                          Case{LinkFault::RefuseReply, nullptr, false}}) {
        ConfigureRig rig;
        rig.core.m_bSendIoSet = 1;  // as an earlier run at a high level left them
        rig.core.m_bSendIcName = 1;
        rig.core.m_nProgramMode = 2;
        rig.link.fault = {k.kind, 1, k.kind == LinkFault::WriteFails ? 1 : 0};
        EXPECT_TRUE(rig.Configure(SampleContents('2')));
        std::vector<std::wstring> boxes;
        if (k.box) boxes.push_back(k.box);
        boxes.push_back(L"烧录器配置成功！");
        EXPECT_EQ(rig.view.Messages(), boxes);
        EXPECT_EQ(rig.view.PaneTexts(kPaneError).size(), k.pane ? 2u : 1u);
        const auto names = rig.Names();
        ASSERT_EQ(names.size(),
                  k.kind == LinkFault::NoDevice || k.kind == LinkFault::WriteFails ? 15u : 16u);
        // The flags of the earlier run hold: IOSet still sends mode 2.
        EXPECT_EQ(names[names.size() - 4], "DownIOSet");
        EXPECT_EQ(rig.writer.RecordedCommands()[names.size() - 4].bytes[8], 2);
    }
}
