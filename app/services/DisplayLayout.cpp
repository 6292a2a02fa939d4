#include "app/services/DisplayLayout.h"

#include <cstddef>

namespace {

long long DistanceSquared(const ScreenRect& r, int x, int y) {
    const long long dx = x < r.left ? r.left - x : (x >= r.right ? x - (r.right - 1) : 0);
    const long long dy = y < r.top ? r.top - y : (y >= r.bottom ? y - (r.bottom - 1) : 0);
    return dx * dx + dy * dy;
}

}  // namespace

int NearestMonitor(const std::vector<MonitorArea>& monitors, int x, int y) {
    int best = -1;
    long long bestDistance = 0;
    for (int i = 0; i < static_cast<int>(monitors.size()); ++i) {
        const long long d = DistanceSquared(monitors[i].monitor, x, y);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

DisplayLayout SelectDisplays(const std::vector<MonitorArea>& monitors, int screenWidth, int screenHeight,
                             const ScreenRect& desktop, const DisplayLayout& previous, int& monitorSetting) {
    DisplayLayout layout = previous;
    layout.displayCount = static_cast<int>(monitors.size());
    for (std::size_t i = 1; i < monitors.size(); ++i) layout.display2Work = monitors[i].work;

    if (monitors.size() < 2) {
        layout.displayCount = 1;
        monitorSetting = 1;
        layout.display1 = desktop;
        return layout;
    }

    const int first = NearestMonitor(monitors, screenWidth / 2, screenHeight / 2);
    layout.display1 = monitors[first].monitor;
    int second = NearestMonitor(monitors, 20000, 500);
    if (second == first) second = NearestMonitor(monitors, -20000, 500);

    if (layout.display1.left == 0 && monitorSetting == 0) monitorSetting = 1;
    if (second != first) {
        layout.display2 = monitors[second].monitor;
        layout.display2Work = monitors[second].work;
        if (layout.display2.left == 0 && monitorSetting == 0) monitorSetting = 2;
    } else {
        layout.displayCount = 1;
        monitorSetting = 1;
    }
    return layout;
}
