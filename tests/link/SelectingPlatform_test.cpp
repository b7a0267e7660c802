// The selecting layer: a writer chosen by location or by path is followed to its
// other mode's path, other writers are hidden, and a removal is judged by the
// location its path had.

#include "link/SelectingPlatform.h"

#include <gtest/gtest.h>

#include "app/AttachedWriters.h"
#include "protocol/WriterIdentity.h"
#include "tests/support/FakeHidPlatform.h"
#ifndef _WIN32
#include "link/ForwardingPlatform.h"
#include "link/hidraw/HidrawNames.h"
#endif

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr HidAttributes kApplication{0x0416, 0x5020, 0x0100};
constexpr HidAttributes kBootLoader{0x0416, 0x5020, 0x8888};

struct Bus {
    VirtualClock clock;
    FakeHidPlatform platform{clock};
    // `located`: whether the backend tells locations (Wine's HID bus does not).
    explicit Bus(bool located = true) {
        Add(L"kbd", {0x046D, 0xC31C, 0x6400}, located ? L"1-1" : L"");
        Add(L"app-a", kApplication, located ? L"1-2" : L"");
        Add(L"app-b", kApplication, located ? L"1-3" : L"");
    }
    void Add(const std::wstring& path, HidAttributes attributes, const std::wstring& location) {
        FakeInterface entry;
        entry.path = path;
        entry.attributes = attributes;
        platform.AddInterface(entry);
        if (!location.empty()) platform.SetLocation(path, location);
    }
    std::vector<std::wstring> Seen(SelectingPlatform& selection) {
        std::vector<std::wstring> paths;
        EXPECT_TRUE(selection.EnumerateInterfaces(paths));
        return paths;
    }
};

}  // namespace

TEST(SelectingPlatform, FollowsTheChosenWriterAcrossItsRestart) {
    for (const std::wstring selector : {L"1-3", L"APP-B"}) {
        Bus bus;
        SelectingPlatform selection(bus.platform, selector, IsWriter);
        EXPECT_EQ(bus.Seen(selection), std::vector<std::wstring>{L"app-b"});
        EXPECT_EQ(selection.Location(), L"1-3");
        HidAttributes attributes;
        EXPECT_FALSE(selection.QueryAttributes(L"app-a", attributes));
        EXPECT_EQ(selection.OpenForRead(L"app-a"), kInvalidHidHandle);

        // The writer restarts into its boot loader: a new path at the same place.
        bus.platform.RemoveInterface(L"app-b");
        bus.Add(L"boot-b", kBootLoader, L"1-3");
        EXPECT_EQ(bus.Seen(selection), std::vector<std::wstring>{L"boot-b"});
        EXPECT_TRUE(selection.QueryAttributes(L"boot-b", attributes));
        // Its removal is still recognised once the device (and its location) is gone.
        bus.platform.RemoveInterface(L"boot-b");
        bus.platform.SetLocation(L"boot-b", L"");
        EXPECT_TRUE(selection.Accepts(L"boot-b"));
        EXPECT_FALSE(selection.Accepts(L"app-a"));
    }
}

TEST(SelectingPlatform, WithoutLocationsFollowsThePathToTheWritersRestart) {
    Bus bus(false);
    SelectingPlatform selection(bus.platform, L"app-b", IsWriter);
    EXPECT_EQ(bus.Seen(selection), std::vector<std::wstring>{L"app-b"});
    // A writer plugged in while the chosen one is there is another writer.
    bus.Add(L"app-c", kApplication, L"");
    EXPECT_FALSE(selection.Accepts(L"app-c"));

    // The chosen writer restarts: its boot loader is the new interface that
    // appears while its own path is gone, announced before anyone enumerates.
    bus.platform.RemoveInterface(L"app-b");
    EXPECT_TRUE(selection.Accepts(L"app-b"));
    bus.Add(L"boot-b", kBootLoader, L"");
    EXPECT_TRUE(selection.Accepts(L"boot-b"));
    bus.platform.RemoveInterface(L"boot-b");
    bus.Add(L"app-b2", kApplication, L"");
    EXPECT_EQ(bus.Seen(selection), std::vector<std::wstring>{L"app-b2"});
    for (const wchar_t* other : {L"app-a", L"app-c", L"kbd"})
        EXPECT_FALSE(selection.Accepts(other));

    // Chosen by a path that was never seen, nothing new is taken for it.
    SelectingPlatform absent(bus.platform, L"app-z", IsWriter);
    EXPECT_TRUE(bus.Seen(absent).empty());
    bus.Add(L"boot-z", kBootLoader, L"");
    EXPECT_TRUE(bus.Seen(absent).empty());
}

TEST(SelectingPlatform, ListAndWaitSeeOnlyWritersInEitherMode) {
    Bus bus;
    bus.Add(L"odd-version", {0x0416, 0x5020, 0x0200}, L"1-4");
    const auto writers = ListWriters(bus.platform, bus.clock, false);
    ASSERT_EQ(writers.size(), 2u);
    EXPECT_EQ(writers[1].location, L"1-3");
    EXPECT_TRUE(AwaitWriter(bus.platform, bus.clock, 0));

    SelectingPlatform nowhere(bus.platform, L"2-1", IsWriter);
    EXPECT_FALSE(AwaitWriter(nowhere, bus.clock, 1000));
    EXPECT_GE(bus.clock.Now(), 1000u);
}

#ifndef _WIN32
// The fake bus with the hidraw backend's naming of device nodes.
class HidrawNodes : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    std::string DeviceNodeOf(const std::wstring& path) override { return hidraw::DevnodeOf(path); }
};

TEST(SelectingPlatform, ChoosesAWriterByItsHidrawNode) {
    const std::string hid = "/sys/devices/pci0000:00/usb1/1-3/1-3:1.0/0003:0416:5020.";
    const std::wstring app = hidraw::InterfaceName(hid + "0007/hidraw/hidraw3", "/dev/hidraw3");
    const std::wstring other = hidraw::InterfaceName(hid + "0008/hidraw/hidraw4", "/dev/hidraw4");
    const std::wstring boot = hidraw::InterfaceName(hid + "0009/hidraw/hidraw5", "/dev/hidraw5");
    const struct {
        const wchar_t* selector;
        bool located;
        std::wstring seen;  // empty: none
    } cases[] = {
        {L"/dev/hidraw3", true, app}, {L"/dev/hidraw3", false, app}, {L"/dev/hidraw4", true, other},
        {L"/dev/hidraw", true, L""},  {L"/dev/hidraw30", true, L""}, {L"hidraw3", true, L""},
    };
    for (const auto& c : cases) {
        Bus bus(c.located);
        bus.Add(app, kApplication, c.located ? L"1-4" : L"");
        bus.Add(other, kApplication, c.located ? L"1-5" : L"");
        HidrawNodes nodes(bus.platform);
        SelectingPlatform selection(nodes, c.selector, IsWriter);
        const std::vector<std::wstring> seen = bus.Seen(selection);
        EXPECT_EQ(seen,
                  c.seen.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.seen})
            << c.selector;
        if (c.seen != app) continue;
        // It is followed into its boot loader, whose node differs.
        bus.platform.RemoveInterface(app);
        bus.Add(boot, kBootLoader, c.located ? L"1-4" : L"");
        EXPECT_EQ(bus.Seen(selection), std::vector<std::wstring>{boot}) << c.selector;
    }
}
#endif
