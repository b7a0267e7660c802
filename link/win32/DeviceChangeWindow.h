#pragma once
// Arrivals and removals of HID interfaces for a program without a window of its
// own (the console tool): a message-only window, registered for the HID interface
// class with RegisterDeviceNotificationW, runs its message loop on a thread of its
// own. Each notification is queued for TakeChanges and bumps a device-change count
// at once, on that thread, so that a layer remembering the interfaces knows of it
// before the next Open.

#include <windows.h>
// windows.h first: dbt.h relies on its types.
#include <dbt.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/DeviceChange.h"
#include "link/DeviceChangeCount.h"

namespace vantrel::win32 {

class DeviceChangeWindow {
public:
    // Returns once the window is registered for notifications, or has failed to be.
    explicit DeviceChangeWindow(DeviceChangeCount& changes);
    ~DeviceChangeWindow();
    DeviceChangeWindow(const DeviceChangeWindow&) = delete;
    DeviceChangeWindow& operator=(const DeviceChangeWindow&) = delete;

    // Whether notifications arrive (false: the window or its registration failed).
    bool IsListening() const { return m_listening; }
    // The changes since the last call, oldest first: DBT_DEVICEARRIVAL or
    // DBT_DEVICEREMOVECOMPLETE of an interface named as the system names it.
    std::vector<DeviceChange> TakeChanges();

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void Run(HANDLE started);
    void Notified(WPARAM eventType, const DEV_BROADCAST_HDR* header);

    DeviceChangeCount& m_changes;
    bool m_listening = false;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<DeviceChange> m_pending;
};

}  // namespace vantrel::win32
