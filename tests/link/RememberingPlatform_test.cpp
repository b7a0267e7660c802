// CHidDevice::Open over the layer that remembers the interface list, on the scripted
// platform: what a second Open finds after a change (notified or not), and how many
// enumerations it costs.

#include "link/RememberingPlatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/HidDevice.h"
#include "tests/support/FakeHidPlatform.h"

using namespace vantrel;
using vantrel::test::FakeHidPlatform;
using vantrel::test::FakeInterface;

namespace {

constexpr uint16_t kVendor = 0x0416, kProduct = 0x5020, kApp = 0x0100, kBoot = 0x8888;
const std::wstring kMouse = L"\\\\?\\hid#vid_046d&pid_c077#7&1&0000";
const std::wstring kA = L"\\\\?\\hid#vid_0416&pid_5020#8&aaa&0000";
const std::wstring kB = L"\\\\?\\hid#vid_0416&pid_5020#8&bbb&0000";

FakeInterface Mouse() { return FakeInterface{kMouse, HidAttributes{0x046d, 0xc077, 0x0001}}; }
FakeInterface Writer(const std::wstring& path, uint16_t version = kApp) {
    return FakeInterface{path, HidAttributes{kVendor, kProduct, version}};
}

struct Case {
    const char* name;
    std::vector<FakeInterface> present;  // at the first Open, which finds the application
    // Between the two Opens; `bump` reports a device change.
    std::function<void(FakeHidPlatform&, const std::function<void()>& bump)> change;
    uint16_t version;     // the second Open looks for it
    std::wstring opened;  // the path it opens (empty: none)
    int enumerations;     // full enumerations it costs
};

const Case kCases[] = {
    {"no change: the remembered list", {Mouse(), Writer(kA)}, nullptr, kApp, kA, 0},
    {"an arrival: the boot loader on its new path",
     {Mouse(), Writer(kA)},
     [](FakeHidPlatform& p, auto bump) {
         p.RemoveInterface(kA);
         bump();
         p.AddInterface(Writer(kB, kBoot));
         bump();
     },
     kBoot,
     kB,
     1},
    {"a removal: the other writer",
     {Writer(kA), Writer(kB)},
     [](FakeHidPlatform& p, auto bump) {
         p.RemoveInterface(kA);
         bump();
     },
     kApp,
     kB,
     1},
    {"a restart on the same path, unnotified: its new version",
     {Mouse(), Writer(kA)},
     [](FakeHidPlatform& p, auto) {
         p.RemoveInterface(kA);
         p.AddInterface(Writer(kA, kBoot));
     },
     kBoot,
     kA,
     0},
    {"two matching interfaces: the first enumerated",
     {Writer(kA), Writer(kB)},
     nullptr,
     kApp,
     kA,
     0},
    {"two matching after a change: still the first",
     {Writer(kA), Writer(kB)},
     [](FakeHidPlatform& p, auto bump) {
         p.AddInterface(Mouse());
         bump();
     },
     kApp,
     kA,
     1},
    {"a listed path gone unnotified: a fresh enumeration at once",
     {Writer(kA), Writer(kB)},
     [](FakeHidPlatform& p, auto) { p.RemoveInterface(kA); },
     kApp,
     kB,
     1},
    {"a listed writer that no longer opens: the full search, which fails too",
     {Writer(kA), Writer(kB)},
     [](FakeHidPlatform& p, auto) {
         p.RemoveInterface(kA);
         p.RemoveInterface(kB);
         FakeInterface a = Writer(kA);
         a.writeOpenFails = true;
         p.AddInterface(a);
         p.AddInterface(Writer(kB));
     },
     kApp,
     L"",
     1},
    {"a writer that appears unnotified: the fallback finds it",
     {Mouse(), Writer(kA)},
     [](FakeHidPlatform& p, auto) { p.AddInterface(Writer(kB, kBoot)); },
     kBoot,
     kB,
     1},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class RememberingPlatformTest : public ::testing::TestWithParam<Case> {};

TEST_P(RememberingPlatformTest, SecondOpen) {
    const Case& c = GetParam();
    VirtualClock clock{0};
    FakeHidPlatform fake{clock};
    for (const FakeInterface& entry : c.present) fake.AddInterface(entry);
    DeviceChangeCount changes;
    RememberingPlatform remembering(fake, changes, kVendor, kProduct);
    CHidDevice link(remembering);

    ASSERT_TRUE(link.Open(kVendor, kProduct, kApp));
    link.Close();
    if (c.change) c.change(fake, [&] { changes.Bump(); });

    const int enumerations = fake.EnumerationCount();
    const bool opened = link.Open(kVendor, kProduct, c.version);
    EXPECT_EQ(opened, !c.opened.empty());
    if (opened) {
        EXPECT_EQ(link.m_devicePath, c.opened);
        EXPECT_EQ(fake.OpenPaths(), (std::vector<std::wstring>{c.opened, c.opened}));
    }
    EXPECT_EQ(fake.EnumerationCount() - enumerations, c.enumerations);
    link.Close();
    EXPECT_EQ(fake.OpenHandleCount(), 0);
    EXPECT_TRUE(fake.Anomalies().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RememberingPlatformTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// While nothing changes, only the writer's own interfaces are asked again: the
// others' attributes are remembered with the list.
TEST(RememberingPlatform, AsksOnlyTheWritersInterfacesWhileNothingChanged) {
    VirtualClock clock{0};
    FakeHidPlatform fake{clock};
    fake.AddInterface(Mouse());
    FakeInterface unanswering{L"\\\\?\\hid#vid_1111&pid_2222#1", {}, true};
    fake.AddInterface(unanswering);
    fake.AddInterface(Writer(kA));
    DeviceChangeCount changes;
    RememberingPlatform remembering(fake, changes, kVendor, kProduct);
    CHidDevice link(remembering);
    ASSERT_TRUE(link.Open(kVendor, kProduct, kApp));
    EXPECT_EQ(fake.QueryCount(), 3);
    ASSERT_TRUE(link.Open(kVendor, kProduct, kApp));
    EXPECT_EQ(fake.QueryCount(), 4);
    EXPECT_EQ(fake.EnumerationCount(), 1);
    changes.Bump();
    ASSERT_TRUE(link.Open(kVendor, kProduct, kApp));
    EXPECT_EQ(fake.QueryCount(), 7);
    EXPECT_EQ(fake.EnumerationCount(), 2);
}

}  // namespace
