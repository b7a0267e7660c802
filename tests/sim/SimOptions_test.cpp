// The fault grammar of the simulated writer.

#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include "sim/SimProtocol.h"

using namespace vantrel::sim;

TEST(SimFaultGrammar, AcceptsEveryForm) {
    Fault fault;
    std::string error;
    ASSERT_TRUE(ParseFault("refuse:DownIC#2", fault, error)) << error;
    EXPECT_EQ(fault.kind, Fault::Refuse);
    EXPECT_EQ(fault.name, "DownIC");
    EXPECT_EQ(fault.occurrence, 2);

    ASSERT_TRUE(ParseFault("silent:ProgramApromPage", fault, error)) << error;
    EXPECT_EQ(fault.kind, Fault::Silent);
    EXPECT_EQ(fault.name, "ProgramApromPage");
    EXPECT_EQ(fault.occurrence, 1);

    ASSERT_TRUE(ParseFault("badsum:135", fault, error)) << error;
    EXPECT_EQ(fault.kind, Fault::BadSum);
    EXPECT_EQ(fault.page, 135);

    ASSERT_TRUE(ParseFault("badsum:0", fault, error)) << error;
    EXPECT_EQ(fault.page, 0);

    ASSERT_TRUE(ParseFault("noboot", fault, error)) << error;
    EXPECT_EQ(fault.kind, Fault::NoBoot);
}

TEST(SimFaultGrammar, RejectsMalformedFaultsWithAReason) {
    const char* bad[] = {"refuse",         "refuse:",
                         "explode:DownIC", "refuse:DownIC#0",
                         "refuse:DownIC#", "refuse:DownIC#x",
                         "badsum:136",     "badsum:-1",
                         "badsum:",        "badsum:1a",
                         "silent:downic",  "refuse:DownIC 1",
                         "noboot:x",       "refuse:ReadApromChecksum"};
    for (const char* text : bad) {
        Fault fault;
        std::string error;
        EXPECT_FALSE(ParseFault(text, fault, error)) << text;
        EXPECT_NE(error.find(text), std::string::npos) << text << ": " << error;
    }
    Fault fault;
    std::string error;
    ASSERT_FALSE(ParseFault("silent:DownData2", fault, error));
    EXPECT_NE(error.find("unknown command name 'DownData2'"), std::string::npos) << error;
    EXPECT_NE(error.find("DisConnectWriter"), std::string::npos) << error;  // lists the names
}

TEST(SimFaultGrammar, EveryNameIsACommandTheWriterDecodes) {
    EXPECT_EQ(FaultCommandNames().size(), 21u);
    for (const std::string& name : FaultCommandNames()) {
        EXPECT_NE(FindCommand(name), nullptr) << name;
        Fault fault;
        std::string error;
        EXPECT_TRUE(ParseFault("silent:" + name + "#3", fault, error)) << error;
    }
}
