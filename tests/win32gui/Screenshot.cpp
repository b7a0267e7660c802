#include "tests/win32gui/Screenshot.h"

#include <cstdio>
#include <vector>

namespace gui {
namespace {

bool WriteBitmapFile(const std::wstring& path, const BITMAPINFOHEADER& info,
                     const std::vector<BYTE>& pixels) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    const bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                    std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                    std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

bool SaveWindowShot(HWND window, const std::wstring& path) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(400);

    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied =
        ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    ::SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as a .bmp file stores them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<BYTE> pixels(stride * static_cast<size_t>(height));
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    const bool read =
        copied && ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;

    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return read && WriteBitmapFile(path, info, pixels);
}

}  // namespace gui
