#pragma once
// Screenshots of windows, taken from the screen as the operator sees them.

#include <windows.h>

#include <string>

namespace gui {

// Brings `window` to the top, lets it repaint, and saves the screen area it covers
// as a 24-bit .bmp file. false when the capture or the file failed.
bool SaveWindowShot(HWND window, const std::wstring& path);

}  // namespace gui
