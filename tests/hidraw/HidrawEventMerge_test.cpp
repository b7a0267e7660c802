// The one stream of changes made from udevd's and the kernel's copies of each
// hidraw event, with udevd running, stopped, or running but silent.

#include "link/hidraw/HidrawEventMerge.h"

#include <gtest/gtest.h>

#include "common/WindowSystem.h"

using namespace vantrel;
using namespace vantrel::hidraw;

namespace {

DeviceChange Change(uint32_t type, const wchar_t* name) {
    DeviceChange change;
    change.eventType = type;
    change.broadcast.name = name;
    return change;
}

const DeviceChange kGone = Change(kDbtDeviceRemoveComplete, L"hidraw#VID_0416&PID_5020#a#");
const DeviceChange kBack = Change(kDbtDeviceArrival, L"hidraw#VID_0416&PID_5020#b#");

std::vector<std::wstring> Names(const std::vector<DeviceChange>& changes) {
    std::vector<std::wstring> names;
    for (const auto& change : changes)
        names.push_back((change.eventType == kDbtDeviceArrival ? L"+" : L"-") +
                        change.broadcast.name);
    return names;
}

const std::wstring kGoneText = L"-" + kGone.broadcast.name;
const std::wstring kBackText = L"+" + kBack.broadcast.name;

TEST(HidrawEventMerge, WithoutUdevdKernelChangesGoAtOnceAndLateCopiesAreDropped) {
    HidrawEventMerge merge(2500);
    merge.FromKernel(kGone, false, 100);
    merge.FromKernel(kBack, false, 110);
    EXPECT_EQ(Names(merge.TakeDue(110)), (std::vector<std::wstring>{kGoneText, kBackText}));
    merge.FromUdev(kGone, 5000);  // a udevd that started meanwhile
    EXPECT_TRUE(merge.TakeDue(5000).empty());
}

TEST(HidrawEventMerge, WithUdevdItsCopyIsDeliveredOnce) {
    HidrawEventMerge merge(2500);
    merge.FromKernel(kBack, true, 100);
    EXPECT_TRUE(merge.TakeDue(150).empty());
    EXPECT_EQ(merge.NextDue(), 2600u);
    merge.FromUdev(kBack, 300);
    EXPECT_EQ(Names(merge.TakeDue(300)), std::vector<std::wstring>{kBackText});
    EXPECT_FALSE(merge.NextDue());
    EXPECT_TRUE(merge.TakeDue(10000).empty());
}

TEST(HidrawEventMerge, SilentUdevdDelaysKernelChangesByTheGraceInOrder) {
    HidrawEventMerge merge(2500);
    merge.FromKernel(kGone, true, 100);
    merge.FromKernel(kBack, true, 900);
    EXPECT_EQ(Names(merge.TakeDue(2600)), std::vector<std::wstring>{kGoneText});
    // A kernel change without udevd still waits behind an older held one.
    merge.FromKernel(kGone, false, 2700);
    EXPECT_EQ(Names(merge.TakeDue(3400)), (std::vector<std::wstring>{kBackText, kGoneText}));
    merge.FromUdev(kBack, 3500);
    EXPECT_TRUE(merge.TakeDue(3500).empty());
}

TEST(HidrawEventMerge, UdevdCopyOfALaterChangeReleasesTheOlderOnesFirst) {
    HidrawEventMerge merge(2500);
    merge.FromKernel(kGone, true, 100);
    merge.FromKernel(kBack, true, 120);
    merge.FromUdev(kBack, 200);  // udevd lost the removal's copy
    EXPECT_EQ(Names(merge.TakeDue(200)), (std::vector<std::wstring>{kGoneText, kBackText}));
    merge.FromUdev(kGone, 250);
    EXPECT_TRUE(merge.TakeDue(250).empty());
}

}  // namespace
