#pragma once
// The BITMAPINFO of an uncompressed RGB picture, as GDI's DIB calls take it.

#include <windows.h>

namespace win {

// width x height at bitCount bits per pixel; a negative height is a
// top-down picture, a positive one bottom-up.
inline BITMAPINFO RgbBitmapInfo(LONG width, LONG height, WORD bitCount) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace win
