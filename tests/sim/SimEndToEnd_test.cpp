// The tool's two jobs against the simulated writer: every command the tool sends
// must be one the writer's own decoding knows, with a length that fits it.

#include <gtest/gtest.h>

#include "common/WindowSystem.h"
#include "tests/support/ControlFileBuilder.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TempDir.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::test::ControlFileBuilder;
using vantrel::test::SimHarness;
using vantrel::test::TempDir;

TEST(SimEndToEnd, ConfigurationSendsTheFifteenStepsTheWriterKnows) {
    TempDir dir;
    SimHarness h;
    h.Start();
    h.core.SetFilePath(dir.Write(L"ic.ctl", ControlFileBuilder().Build()));
    ASSERT_TRUE(h.core.RunConfigurationJob());
    EXPECT_EQ(h.writer.RecordedNames(),
              (std::vector<std::string>{"QueryWriterLevel", "ConnectWriter", "DownData", "DownIC",
                                        "DownEE", "DownOPT", "DownIC", "DownSN", "DownPass",
                                        "DownID", "DownProCheckSum", "DownINRCSET", "DownIOSet",
                                        "DownICName", "DownLeve", "DisConnectWriter"}));
    EXPECT_TRUE(h.writer.Anomalies().empty()) << h.writer.Anomalies().front();
    // 0x40 program words: 128 bytes in two data reports; 16 EEPROM bytes in one.
    const auto record = h.writer.RecordedCommands();
    EXPECT_EQ(record[2].data.size(), 2u);
    EXPECT_EQ(record[4].data.size(), 1u);
}

TEST(SimEndToEnd, UpgradeLeavesTheImageInTheWritersAprom) {
    std::vector<uint8_t> image(kApromSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    TempDir dir;
    const std::string hex = BuildIntelHex(image);
    const std::wstring path = dir.Write(L"fw.hex", SealFirmware(hex));

    SimHarness h;
    h.Start();
    ASSERT_TRUE(h.core.RunFirmwareUpgrade(path));
    EXPECT_EQ(h.writer.Aprom(), image);
    h.AdvanceAndDeliver(100);
    EXPECT_EQ(h.writer.Mode(), SimMode::Application);
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer connect");
    EXPECT_TRUE(h.writer.Anomalies().empty()) << h.writer.Anomalies().front();
}
