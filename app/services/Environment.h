#pragma once
// What the environment probes found, kept for the whole run and read by
// the rest of the recorder. Written on the GUI thread only.

#include <string>

#include "app/services/DisplayLayout.h"
#include "app/services/Geometry.h"

struct Environment {
    // Windows version
    bool VistaOrLater = false;
    bool NotWindows7 = false;
    std::wstring VersionText;

    bool IsAdmin = false;

    // Display geometry
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    ScreenRect DesktopRect;
    int TaskbarHeight = 0;
    int DisplayCount = 1;
    ScreenRect Display1Rect;
    ScreenRect Display2Rect;
    ScreenRect Display2WorkRect;
    int EdgeWidth = 0;
    int EdgeHeight = 0;
    int MenuHeight = 0;
};

Environment& Env();
