#pragma once
// Which monitor is display 1 and which is display 2, decided from the
// monitor list the system gives. Portable so made-up layouts can be tested.

#include <vector>

#include "app/services/Geometry.h"

struct MonitorArea {
    ScreenRect monitor;
    ScreenRect work;
};

struct DisplayLayout {
    int displayCount = 1;
    ScreenRect display1;
    ScreenRect display2;
    ScreenRect display2Work;
};

// The monitor the system would call nearest to (x, y): the first one that
// contains the point, else the one at the smallest distance. -1 for none.
int NearestMonitor(const std::vector<MonitorArea>& monitors, int x, int y);

// Chooses the displays. `previous` carries the values kept when there is
// only one monitor's worth to decide; `monitorSetting` is the "Monitor"
// setting, updated as the choice requires (1 or 2; 0 means unset).
DisplayLayout SelectDisplays(const std::vector<MonitorArea>& monitors, int screenWidth, int screenHeight,
                             const ScreenRect& desktop, const DisplayLayout& previous, int& monitorSetting);
