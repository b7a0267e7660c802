// What inspect reports about Intel HEX text: the tool's own reading by position,
// and warnings where the text and that reading part ways.

#include "cli/FirmwareReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "upgrade/FirmwareSealer.h"

using namespace vantrel::cli;

namespace {

bool HasWarning(const FirmwareInspection& r, const std::string& part) {
    for (const std::string& w : r.warnings) {
        if (w.find(part) != std::string::npos) return true;
    }
    return false;
}

TEST(FirmwareInspection, CountsRecordsAndTheAddressRangeWithBothAddressRecords) {
    const std::string text =
        ":020000040001F9\r\n"      // linear 0x0001
        ":0400000001020304F2\r\n"  // 0x10000-0x10003
        ":020000021000EC\r\n"      // segment 0x1000 adds 0x10000
        ":02001000AABB89\r\n"      // 0x10000 + 0x10000 + 0x10: outside
        ":00000001FF\r\n"
        ":0400000001020304F2\r\n";  // after the end: never read
    const FirmwareInspection r = InspectFirmwareText(text);
    EXPECT_EQ(r.records, 5u);
    EXPECT_EQ(r.dataRecords, 2u);
    EXPECT_EQ(r.dataBytes, 6u);
    EXPECT_TRUE(r.endRecord);
    EXPECT_EQ(r.lowestAddress, 0x10000u);
    EXPECT_EQ(r.highestAddress, 0x10003u);
    EXPECT_EQ(r.bytesOutsideImage, 2u);
    EXPECT_TRUE(HasWarning(r, "line 4: 2 data bytes fall outside"));
    EXPECT_TRUE(r.badChecksumLines.empty());
}

TEST(FirmwareInspection, WarnsWhereTheToolReadsOtherwiseThanTheTextSays) {
    const std::string text =
        ":0400000001020304F3\n"  // wrong checksum
        ":02000000ab0053\n"      // lower case: read as 0
        ":10000000010203\n"      // short
        ":00000003FD\n";         // ignored type, and no end record
    const FirmwareInspection r = InspectFirmwareText(text);
    EXPECT_EQ(r.badChecksumLines, std::vector<uint64_t>{1});
    EXPECT_TRUE(HasWarning(r, "line 2: character 'a' at position 9 is read as the digit 0"));
    EXPECT_TRUE(HasWarning(r, "line 3: shorter than its byte count says"));
    EXPECT_TRUE(HasWarning(r, "line 4: record type 3 is ignored"));
    EXPECT_TRUE(HasWarning(r, "no end-of-file record"));
    // The short record still stores its 16 bytes (missing ones as 0).
    EXPECT_EQ(r.dataBytes, 4u + 2u + 16u);
}

TEST(FirmwareInspection, DeciphersLikeTheUpgradeAndTellsPlainTextApart) {
    const std::string text = ":0100000055AA\n:00000001FF\n";  // 26 bytes: a short last block
    const std::vector<uint8_t> sealed = vantrel::SealFirmware(text);
    EXPECT_EQ(DecipherFirmware(sealed).substr(0, text.size()), text);
    EXPECT_FALSE(LooksLikePlainIntelHex(sealed));
    EXPECT_TRUE(LooksLikePlainIntelHex(std::vector<uint8_t>(text.begin(), text.end())));

    const FirmwareInspection r = InspectFirmwareText(DecipherFirmware(sealed));
    EXPECT_TRUE(r.endRecord);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();

    const FirmwareInspection noise = InspectFirmwareText(std::string(40, '\x7f'));
    EXPECT_TRUE(HasWarning(noise, "not Intel HEX text"));
}

}  // namespace
