// A file read and checked by a front end is the file the job uses: whatever
// happens to it on disk between the check and the job, the job takes the preloaded
// bytes, and only for the path they were read from.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "common/Files.h"
#include "common/Text.h"
#include "tests/configure/ConfigureRig.h"
#include "tests/support/ControlFileBuilder.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

enum class Change { Replaced, Removed, OtherPathPreloaded };

TEST(PreloadedFile, TheJobUsesTheBytesThatWereChecked) {
    const std::vector<uint8_t> control = ControlFileBuilder().Build();
    const std::vector<uint8_t> image(kFirmwareImageSize, 0x3C);
    const std::vector<uint8_t> firmware = SealFirmware(BuildIntelHex(image));
    const std::vector<uint8_t> junk(100, '?');
    const struct {
        bool configure;
        Change change;
        bool succeeds;
    } cases[] = {
        {true, Change::Replaced, true},
        {true, Change::Removed, true},
        {true, Change::OtherPathPreloaded, false},
        {false, Change::Replaced, true},
        {false, Change::Removed, true},
        {false, Change::OtherPathPreloaded, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.configure ? "configure" : "upgrade") + ", change " +
                     std::to_string(static_cast<int>(c.change)));
        ConfigureRig rig;
        const std::wstring path = rig.folder.Write(L"chosen", c.configure ? control : firmware);
        rig.core.SetFilePath(path);
        rig.core.PreloadFile(c.change == Change::OtherPathPreloaded ? path + L"x" : path,
                             c.configure ? control : firmware);
        if (c.change == Change::Removed) {
            RemoveFile(path);
        } else {
            rig.folder.Write(L"chosen", junk);
        }
        if (c.configure) {
            EXPECT_EQ(rig.core.RunConfigurationJob(), c.succeeds);
            EXPECT_EQ(!rig.Names().empty(), c.succeeds);
        } else {
            std::vector<uint8_t> loaded(kFirmwareImageSize, 0);
            EXPECT_EQ(rig.core.LoadFirmwareImage(path, loaded.data()), c.succeeds);
            if (c.succeeds) {
                EXPECT_EQ(loaded, image);
            }
        }
    }
}

}  // namespace
