// Interface names of hidraw nodes, the notifications made from udev events, and
// the parsers of sysfs values.

#include "link/hidraw/HidrawNames.h"

#include <gtest/gtest.h>

#include "common/WindowSystem.h"
#include "link/hidraw/HidrawMonitor.h"

using namespace vantrel;
using namespace vantrel::hidraw;

namespace {

const std::string kSyspath =
    "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:0416:5020.0007/hidraw/hidraw3";

TEST(HidrawNames, NameCarriesIdentityHidDeviceAndNode) {
    const std::wstring name = InterfaceName(kSyspath, "/dev/hidraw3");
    EXPECT_EQ(name, L"hidraw#VID_0416&PID_5020#0003:0416:5020.0007#/dev/hidraw3");
    // Presence tracking searches the identity from character 7 on.
    EXPECT_EQ(name.find(L"VID_0416&PID_5020"), 7u);
    EXPECT_EQ(DevnodeOf(name), "/dev/hidraw3");
}

TEST(HidrawNames, HidDeviceNameIsTheComponentNearestTheNode) {
    EXPECT_EQ(HidDeviceNameOf(kSyspath), "0003:0416:5020.0007");
    EXPECT_EQ(HidDeviceNameOf("/sys/devices/virtual/misc/hidraw/hidraw0"), "");
    // A node without a HID device still gets a well-formed name.
    EXPECT_EQ(InterfaceName("/sys/devices/virtual/x/hidraw0", "/dev/hidraw0"),
              L"hidraw#VID_0000&PID_0000##/dev/hidraw0");
}

TEST(HidrawNames, DevnodeOnlyFromNamesOfThisForm) {
    EXPECT_EQ(DevnodeOf(L"\\\\?\\hid#vid_0416&pid_5020#8&1a2b#{4d1e55b2}"), "");
    EXPECT_EQ(DevnodeOf(L"hidraw#VID_0416&PID_5020#x#"), "");
    EXPECT_EQ(DevnodeOf(L"hidraw#VID_0416&PID_5020#x#relative/path"), "");
}

TEST(HidrawNames, ParsesHidIdAndHexValues) {
    uint16_t vendor = 0, product = 0;
    ASSERT_TRUE(ParseHidId("0003:00000416:00005020", vendor, product));
    EXPECT_EQ(vendor, 0x0416);
    EXPECT_EQ(product, 0x5020);
    EXPECT_FALSE(ParseHidId("0003:00010416:00005020", vendor, product));  // beyond 16 bits
    EXPECT_FALSE(ParseHidId("0003:0416", vendor, product));
    EXPECT_FALSE(ParseHidId("0003:zz:5020", vendor, product));

    uint16_t value = 0;
    ASSERT_TRUE(ParseHex16("8888\n", value));
    EXPECT_EQ(value, 0x8888);
    ASSERT_TRUE(ParseHex16(" 100 ", value));
    EXPECT_EQ(value, 0x0100);
    EXPECT_FALSE(ParseHex16("", value));
    EXPECT_FALSE(ParseHex16("10000", value));
    EXPECT_FALSE(ParseHex16("01g0", value));
}

TEST(HidrawNames, UdevEventsBecomeArrivalsAndRemovalsOfTheSameName) {
    auto arrival = DeviceChangeFor("add", kSyspath, "/dev/hidraw3");
    auto removal = DeviceChangeFor("remove", kSyspath, "/dev/hidraw3");
    ASSERT_TRUE(arrival && removal);
    EXPECT_EQ(arrival->eventType, kDbtDeviceArrival);
    EXPECT_EQ(removal->eventType, kDbtDeviceRemoveComplete);
    EXPECT_EQ(arrival->broadcast.deviceType, kDbtDevtypDeviceInterface);
    EXPECT_EQ(arrival->broadcast.name, removal->broadcast.name);
    EXPECT_EQ(arrival->broadcast.name, InterfaceName(kSyspath, "/dev/hidraw3"));
    EXPECT_FALSE(DeviceChangeFor("change", kSyspath, "/dev/hidraw3"));
    EXPECT_FALSE(DeviceChangeFor("add", kSyspath, ""));
}

TEST(HidrawMonitor, TakingChangesNeverBlocksWithoutATimeout) {
    HidrawMonitor monitor;  // may not be able to listen in a container
    monitor.TakeChanges(0);
}

}  // namespace
