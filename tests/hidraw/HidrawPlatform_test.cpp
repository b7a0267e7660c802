// The hidraw platform on a fake sysfs tree whose device nodes are FIFOs.

#include "link/hidraw/HidrawPlatform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "app/VantrelCore.h"
#include "common/Text.h"
#include "link/HidDevice.h"
#include "link/hidraw/HidrawNames.h"
#include "link/hidraw/SysfsHidrawDirectory.h"
#include "link/hidraw/UdevHidrawDirectory.h"
#include "tests/hidraw/FakeSysfs.h"
#include "tests/support/RecordingView.h"

using namespace vantrel;
using namespace vantrel::hidraw;
using vantrel::test::FakeSysfs;

namespace {

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = c - L'a' + L'A';
    return text;
}

class HidrawPlatformTest : public ::testing::Test {
protected:
    FakeSysfs tree;
    HidrawPlatform platform{std::make_unique<SysfsHidrawDirectory>(tree.SysRoot(), tree.DevRoot())};

    // A keyboard on hidraw0, the writer's application on hidraw3, a Bluetooth pad.
    void AddDevices() {
        tree.AddUsbDevice(0, "1-1", 0x046d, 0xc31c, 0x6400, 1);
        tree.AddUsbDevice(3, "1-2", 0x0416, 0x5020, 0x0100, 7);
        tree.AddBluetoothDevice(1, 0x054c, 0x05c4, 2);
    }
    std::wstring WriterName() {
        std::vector<std::wstring> names;
        EXPECT_TRUE(platform.EnumerateInterfaces(names));
        for (const std::wstring& name : names)
            if (name.find(L"VID_0416&PID_5020") != std::wstring::npos) return name;
        return std::wstring();
    }
};

TEST_F(HidrawPlatformTest, ListsNodesWithIdsAndVersionFromSysfs) {
    AddDevices();
    SysfsHidrawDirectory directory(tree.SysRoot(), tree.DevRoot());
    std::vector<HidrawNode> nodes;
    ASSERT_TRUE(directory.List(nodes));
    ASSERT_EQ(nodes.size(), 3u);
    // Ordered by sysfs path: the PCI bus before the virtual devices.
    EXPECT_EQ(nodes[0].devnode, tree.Devnode(0));
    EXPECT_EQ(nodes[1].devnode, tree.Devnode(3));
    EXPECT_TRUE(nodes[1].hasIds);
    EXPECT_EQ(nodes[1].vendorId, 0x0416);
    EXPECT_EQ(nodes[1].productId, 0x5020);
    EXPECT_EQ(nodes[1].versionNumber, 0x0100);
    EXPECT_EQ(nodes[2].devnode, tree.Devnode(1));
    EXPECT_EQ(nodes[2].vendorId, 0x054c);
    EXPECT_EQ(nodes[2].versionNumber, 0);  // not on USB: no bcdDevice
}

TEST_F(HidrawPlatformTest, MissingTreeOrEmptyClassDirectory) {
    std::vector<std::wstring> names{L"stale"};
    EXPECT_TRUE(platform.EnumerateInterfaces(names));
    EXPECT_TRUE(names.empty());
    HidrawPlatform nowhere(std::make_unique<SysfsHidrawDirectory>(tree.SysRoot() + "/absent"));
    EXPECT_FALSE(nowhere.EnumerateInterfaces(names));
}

TEST_F(HidrawPlatformTest, NamesSatisfyPresenceTrackingsRules) {
    AddDevices();
    const std::wstring name = WriterName();
    EXPECT_EQ(name, L"hidraw#VID_0416&PID_5020#0003:0416:5020.0007#" + FromUtf8(tree.Devnode(3)));
    // A removal is named from the sysfs path and node alone, as udev reports it.
    const std::string syspath = tree.SysRoot() +
                                "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/"
                                "0003:0416:5020.0007/hidraw/hidraw3";
    EXPECT_EQ(InterfaceName(syspath, tree.Devnode(3)), name);
}

TEST_F(HidrawPlatformTest, VersionNumberIsTheUsbDevicesBcdDevice) {
    AddDevices();
    CHidDevice link(platform);
    EXPECT_TRUE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_devicePath, WriterName());
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x8888));
    tree.SetBcdDevice("1-2", 0x8888);  // the boot loader
    EXPECT_TRUE(link.Open(0x0416, 0x5020, 0x8888));
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    link.Close();
}

TEST_F(HidrawPlatformTest, LocationIsTheUsbPortPathAndSurvivesARestart) {
    tree.AddUsbDevice(0, "1-1", 0x046d, 0xc31c, 0x6400, 1);
    tree.AddUsbDevice(3, "1-2.3", 0x0416, 0x5020, 0x0100, 7);
    tree.AddBluetoothDevice(1, 0x054c, 0x05c4, 2);
    std::vector<std::wstring> names;
    ASSERT_TRUE(platform.EnumerateInterfaces(names));
    std::vector<std::wstring> locations;
    for (const std::wstring& name : names) {
        std::wstring location = L"stale";
        platform.InterfaceLocation(name, location);
        locations.push_back(location);
    }
    EXPECT_EQ(locations, (std::vector<std::wstring>{L"1-1", L"1-2.3", L""}));
    // The boot loader on the same port.
    tree.SetBcdDevice("1-2.3", 0x8888);
    std::wstring location;
    EXPECT_TRUE(platform.InterfaceLocation(WriterName(), location));
    EXPECT_EQ(location, L"1-2.3");
    EXPECT_FALSE(platform.InterfaceLocation(L"hidraw#VID_0416&PID_5020#x#/dev/null", location));
}

TEST_F(HidrawPlatformTest, NodeThatHasGoneIsNotQueried) {
    tree.AddUsbDevice(3, "1-2", 0x0416, 0x5020, 0x0100, 7, FakeSysfs::Node::Missing);
    HidAttributes attributes;
    EXPECT_FALSE(platform.QueryAttributes(WriterName(), attributes));
    EXPECT_FALSE(platform.QueryAttributes(L"hidraw#VID_0416&PID_5020#x#/dev/null", attributes));
}

TEST_F(HidrawPlatformTest, WriteAndReadThroughTheNode) {
    AddDevices();
    const std::wstring name = WriterName();
    const HidHandle read = platform.OpenForRead(name);
    const HidHandle write = platform.OpenForWrite(name);  // the FIFO has its reader now
    ASSERT_NE(read, kInvalidHidHandle);
    ASSERT_NE(write, kInvalidHidHandle);

    uint8_t report[65];
    for (int i = 0; i < 65; ++i) report[i] = static_cast<uint8_t>(i);
    uint32_t transferred = 0;
    EXPECT_EQ(platform.Write(write, report, 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 65u);

    // hidraw hands over a report without its id; the read puts id 0 in front.
    uint8_t got[65] = {};
    std::fill(std::begin(got), std::end(got), 0xEE);
    EXPECT_EQ(platform.Read(read, got, 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 65u);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[1], 0);  // the first byte written
    EXPECT_EQ(got[64], 63);
    EXPECT_EQ(platform.Read(read, got, 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 2u);  // the one byte left over
    EXPECT_EQ(got[1], 64);

    platform.Close(read);
    platform.Close(write);
}

TEST_F(HidrawPlatformTest, SilentNodeTimesOutAndAGoneOneEndsTheRead) {
    AddDevices();
    const HidHandle read = platform.OpenForRead(WriterName());
    ASSERT_NE(read, kInvalidHidHandle);
    const int device = ::open(tree.Devnode(3).c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(device, 0);
    uint8_t report[65];
    uint32_t transferred = 7;
    EXPECT_EQ(platform.Read(read, report, 65, 20, transferred), HidIo::TimedOut);
    EXPECT_EQ(transferred, 0u);
    ::close(device);  // the device end goes away: the read ends at once
    EXPECT_EQ(platform.Read(read, report, 65, 60000, transferred), HidIo::CompletedWithError);
    platform.Close(read);
    EXPECT_EQ(platform.Read(kInvalidHidHandle, report, 65, 60000, transferred), HidIo::Refused);
    EXPECT_EQ(platform.Write(kInvalidHidHandle, report, 65, 60000, transferred), HidIo::Refused);
}

TEST_F(HidrawPlatformTest, OnlyNamesOfThisBackendAreOpened) {
    EXPECT_EQ(platform.OpenForRead(L"/etc/passwd"), kInvalidHidHandle);
    EXPECT_EQ(platform.OpenForWrite(L"\\\\?\\hid#vid_0416&pid_5020#x"), kInvalidHidHandle);
}

TEST_F(HidrawPlatformTest, InaccessibleWriterNodesAreNamedWithTheirReason) {
    tree.AddUsbDevice(0, "1-1", 0x046d, 0xc31c, 0x6400, 1, FakeSysfs::Node::Directory);
    tree.AddUsbDevice(3, "1-2", 0x0416, 0x5020, 0x0100, 7, FakeSysfs::Node::Directory);
    tree.AddUsbDevice(4, "1-3", 0x0416, 0x5020, 0x8888, 8, FakeSysfs::Node::Missing);
    const std::vector<InaccessibleNode> nodes = platform.InaccessibleNodes(0x0416, 0x5020);
    ASSERT_EQ(nodes.size(), 1u);  // not the keyboard, not the node that has gone
    EXPECT_EQ(nodes[0].devnode, tree.Devnode(3));
    EXPECT_EQ(nodes[0].error, EISDIR);
}

// Start-up detection end to end over the fake tree.
TEST_F(HidrawPlatformTest, PresenceTrackingFindsTheWriter) {
    AddDevices();
    VirtualClock clock;
    vantrel::test::RecordingView view;
    CVantrelCore core(view, clock, platform);
    core.DetectWriterAtStartup();
    EXPECT_EQ(view.LastPane(kPaneConnection), L"writer connect");
    DeviceBroadcast removal{kDbtDevtypDeviceInterface, Upper(WriterName())};
    core.OnDeviceChange(kDbtDeviceRemoveComplete, &removal);
    EXPECT_EQ(view.LastPane(kPaneConnection), L"writer unconnect");
}

TEST(UdevHidrawDirectory, ListsTheSystemsNodesWithTheirDeviceNodes) {
    UdevHidrawDirectory directory;
    std::vector<HidrawNode> nodes;
    ASSERT_TRUE(directory.List(nodes));
    for (const HidrawNode& node : nodes) EXPECT_FALSE(node.devnode.empty()) << node.syspath;
}

}  // namespace
