// How the front end words the firmware check: each problem and note with its line,
// the ones not kept counted, and plain Intel HEX told apart from a sealed file.

#include "upgrade/FirmwareReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "upgrade/FirmwareSealer.h"

using namespace vantrel;

namespace {

TEST(FirmwareReport, ProblemsAndNotesWithTheirLines) {
    FirmwareCheck check = CheckFirmwareText(
        ":0100000011EF\n"    // wrong checksum
        ":020000040002F8\n"  // linear 2: outside the image
        ":0100000011EE\n"    // dropped
        ":00000006FA\n");    // an unknown type, then no end record
    const std::vector<std::wstring> problems = {
        L"line 1: the record checksum does not match",
        L"no end-of-file record (type 01): the file is cut short"};
    EXPECT_EQ(ProblemLines(check), problems);
    const std::vector<std::wstring> notes = {
        L"line 3: 1 data bytes fall outside the 69,632-byte image and are dropped",
        L"line 4: record type 6 is ignored"};
    EXPECT_EQ(NoteLines(check), notes);

    check.problemCount += 5;
    check.noteCount += 2;
    EXPECT_EQ(ProblemLines(check).back(), L"5 more problems not listed");
    EXPECT_EQ(NoteLines(check).back(), L"2 more warnings not shown");
}

TEST(FirmwareReport, TellsPlainTextFromASealedFile) {
    const std::string text = ":0100000055AA\n:00000001FF\n";
    EXPECT_TRUE(LooksLikePlainIntelHex(std::vector<uint8_t>(text.begin(), text.end())));
    EXPECT_FALSE(LooksLikePlainIntelHex(SealFirmware(text)));
    EXPECT_FALSE(LooksLikePlainIntelHex({}));
}

}  // namespace
