#pragma once
// Screenshots of driven programs: what the screen shows, read back from the
// screen DC. Under Xvfb that is exactly what a user would see, other windows
// on top included.

#include <windows.h>

#include <string>

#include "tests/wine/driver/ImageFile.h"

namespace driver {

// Copies a screen rectangle (screen coordinates) into *image. Parts of the
// rectangle off the screen come out black. False (and *image empty) if the
// rectangle is empty or a GDI step failed.
bool CaptureScreenRect(const RECT& rect, RgbImage* image);

// CaptureScreenRect of the window's rectangle (GetWindowRect, frame
// included, not clipped to the screen), or of the whole virtual screen when
// window is nullptr. False if the window does not exist.
bool CaptureWindow(HWND window, RgbImage* image);

// Writes the image as PNG if the path ends in ".png" and as BMP if it ends
// in ".bmp" (either case). False for any other ending, a malformed image or
// a failed write.
bool SaveImage(const RgbImage& image, const std::wstring& path);

// CaptureWindow followed by SaveImage, after the window has painted itself
// and its controls anew: the image is as large as the window rectangle (or
// the virtual screen for nullptr).
bool SaveScreenshot(HWND window, const std::wstring& path);

}  // namespace driver
