// The tables of commands and options: an option given to a command is accepted
// exactly when its entry says that it goes with that command, for every pair.

#include "cli/CommandTable.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace vantrel::cli;

namespace {

// A value that each option with a value takes.
const std::map<std::wstring, std::wstring> kValues = {
    {L"--mode", L"six"},         {L"--device", L"1-2"},        {L"--trace", L"t.txt"},
    {L"--output", L"o.bin"},     {L"--sim-writers", L"2"},     {L"--sim-level", L"5"},
    {L"--sim-aprom-in", L"a"},   {L"--sim-aprom-out", L"b"},   {L"--sim-arrive-after", L"5"},
    {L"--sim-fault", L"noboot"}, {L"--sim-clock", L"virtual"}, {L"--count", L"2"},
    {L"--idle", L"5"},           {L"--log", L"l.jsonl"},
};

TEST(CliCommandTable, AnOptionIsAcceptedExactlyWithTheCommandsItsEntryNames) {
    for (const OptionEntry& option : OptionTable()) {
        if (option.given == nullptr) continue;
        for (const CommandEntry& command : CommandTable()) {
            if (command.run == nullptr) continue;
            std::vector<std::wstring> args = {command.name};
            if (command.takesFile) args.push_back(L"f");
            if (command.needsOutput && option.name != std::wstring(L"--output")) {
                args.insert(args.end(), {L"-o", L"x"});
            }
            if (option.needsSimulate) args.push_back(L"--simulate");
            if (option.needsAll) args.push_back(L"--all");
            args.push_back(option.name);
            if (option.takesValue) args.push_back(kValues.at(option.name));
            Options parsed;
            std::wstring error;
            const bool accepted = ParseOptions(args, parsed, error);
            EXPECT_EQ(accepted, OptionApplies(option, command.command))
                << std::string(error.begin(), error.end()) << " / "
                << std::string(args.back().begin(), args.back().end()) << " with "
                << std::string(args.front().begin(), args.front().end());
            if (accepted) {
                EXPECT_TRUE(option.given(parsed));
            }
        }
    }
}

}  // namespace
