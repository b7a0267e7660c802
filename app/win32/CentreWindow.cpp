#include "app/win32/CentreWindow.h"

#include "app/WindowPlacement.h"

namespace {

vantrel::ScreenRect ToScreenRect(const RECT& rect) {
    return vantrel::ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

void CentreWindow(HWND window, HWND over) {
    RECT own;
    if (!::GetWindowRect(window, &own)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(over ? over : window, MONITOR_DEFAULTTOPRIMARY),
                           &monitor))
        return;
    RECT target = monitor.rcWork;
    if (over && !::GetWindowRect(over, &target)) target = monitor.rcWork;
    const vantrel::ScreenPoint at =
        vantrel::CentredPosition(own.right - own.left, own.bottom - own.top, ToScreenRect(target),
                                 ToScreenRect(monitor.rcWork));
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
