#pragma once
// Opening a dialog in the middle of what the operator is looking at.

#include <windows.h>

// Moves `window`, keeping its size and place in the Z order, to the centre of the
// window `over`, or of the screen's work area when `over` is null, inside the work
// area of the monitor that `over` (or `window`) is on. Reads only window rectangles,
// so any thread may centre over a window of another thread.
void CentreWindow(HWND window, HWND over);
