#include "link/win32/DeviceChangeWindow.h"

#include <cstddef>
#include <cwchar>

#include "link/win32/WinHidPlatform.h"

namespace vantrel::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"VantrelDeviceChangeWindow";

}  // namespace

DeviceChangeWindow::DeviceChangeWindow(DeviceChangeCount& changes) : m_changes(changes) {
    HANDLE started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (started == nullptr) return;
    m_thread = std::thread([this, started] { Run(started); });
    ::WaitForSingleObject(started, INFINITE);
    ::CloseHandle(started);
}

DeviceChangeWindow::~DeviceChangeWindow() {
    if (!m_thread.joinable()) return;
    // The loop ends with WM_QUIT, whether or not the window exists.
    ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

std::vector<DeviceChange> DeviceChangeWindow::TakeChanges() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<DeviceChange> changes;
    changes.swap(m_pending);
    return changes;
}

void DeviceChangeWindow::Run(HANDLE started) {
    m_threadId = ::GetCurrentThreadId();
    // A message queue before anyone can post WM_QUIT to this thread.
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &DeviceChangeWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    m_window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    HDEVNOTIFY registration = nullptr;
    if (m_window != nullptr) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = WinHidPlatform::HidInterfaceClass();
        registration =
            ::RegisterDeviceNotificationW(m_window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    m_listening = registration != nullptr;
    ::SetEvent(started);

    while (m_listening && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (registration != nullptr) ::UnregisterDeviceNotification(registration);
    if (m_window != nullptr) ::DestroyWindow(m_window);
}

LRESULT CALLBACK DeviceChangeWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    if (message == WM_DEVICECHANGE && lParam != 0 &&
        (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
        auto* self =
            reinterpret_cast<DeviceChangeWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) self->Notified(wParam, reinterpret_cast<DEV_BROADCAST_HDR*>(lParam));
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void DeviceChangeWindow::Notified(WPARAM eventType, const DEV_BROADCAST_HDR* header) {
    constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || header->dbch_size <= kNameOffset)
        return;
    // The name is read no further than the record's own size says.
    const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const size_t maxChars = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
    DeviceChange change{
        static_cast<uint32_t>(eventType),
        DeviceBroadcast{DBT_DEVTYP_DEVICEINTERFACE,
                        std::wstring(record->dbcc_name, wcsnlen(record->dbcc_name, maxChars))}};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.push_back(std::move(change));
    }
    m_changes.Bump();
}

}  // namespace vantrel::win32
