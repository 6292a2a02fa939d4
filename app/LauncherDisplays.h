#pragma once
// The launcher's display values checked against the displays we found, and
// the display scales derived from them.

#include <string>

#include "app/CmdLineInfo.h"

// Returns the message to show (empty for none). With one display and no w1
// the desktop size fills x1, y1 and w1.
std::wstring CheckLauncherDisplays(int displayCount, int desktopWidth, int desktopHeight, LauncherValues& values);

// Display 1's scale in percent: desktop width x 100 / w1, or the "Size"
// setting when w1 is unknown.
int DisplayScale1(int desktopWidth, int w1, int sizeSetting);

// Display 2's scale in percent: display 2's width x 100 / w2, or 100.
double DisplayScale2(int display2Width, int w2);
