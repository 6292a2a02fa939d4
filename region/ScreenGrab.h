#pragma once
// One screen grab of the motion search.

#include <windows.h>

#include <cstdint>

#include "app/services/Geometry.h"

// Error numbers of GrabScreen.
enum GrabError { kGrabNoMemoryContext = 1, kGrabNoBitmap = 3, kGrabCopyFailed = 4, kGrabReadFailed = 5 };

// Fills frame (|right - left| x |bottom - top| x 4 bytes: blue, green, red,
// unused; rows bottom-up) from the screen rectangle; 0 or a GrabError.
// Unless setTopWindow is on, mainWindow is made layered first, so that on
// Windows the grab leaves it out.
int GrabScreen(uint8_t* frame, const ScreenRect& rect, HWND mainWindow, bool setTopWindow);
