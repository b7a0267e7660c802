// The console tool's notification window: what a WM_DEVICECHANGE it receives
// becomes (queued changes and a bumped count), and that it starts and stops.

#include "link/win32/DeviceChangeWindow.h"

#include <gtest/gtest.h>

#include <string>

#include "app/win32/DeviceBroadcastRecord.h"
#include "link/win32/WinHidPlatform.h"

using namespace vantrel;
using namespace vantrel::win32;

TEST(DeviceChangeWindow, QueuesAndCountsTheInterfaceChangesItIsSent) {
    DeviceChangeCount changes;
    DeviceChangeWindow window(changes);
    ASSERT_TRUE(window.IsListening());
    HWND target = ::FindWindowExW(HWND_MESSAGE, nullptr, L"VantrelDeviceChangeWindow", nullptr);
    ASSERT_NE(target, nullptr);

    const std::wstring path = L"\\\\?\\HID#VID_0416&PID_5020#8&aaa&0&0000#{4d1e55b2}";
    const InterfaceBroadcast record(WinHidPlatform::HidInterfaceClass(), path);
    const auto lParam = reinterpret_cast<LPARAM>(record.Header());
    ::SendMessageW(target, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, lParam);
    ::SendMessageW(target, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, lParam);  // not a change
    ::SendMessageW(target, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, lParam);

    EXPECT_EQ(changes.Value(), 2u);
    const std::vector<DeviceChange> taken = window.TakeChanges();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].eventType, static_cast<uint32_t>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(taken[1].eventType, static_cast<uint32_t>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(taken[0].broadcast.name, path);
    EXPECT_EQ(taken[1].broadcast.name, path);
    EXPECT_TRUE(window.TakeChanges().empty());
}
