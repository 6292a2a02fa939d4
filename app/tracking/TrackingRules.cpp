#include "app/tracking/TrackingRules.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool SameClass(std::wstring_view a, std::wstring_view b) { return a == b; }

// The found window counts only while it is shown.
std::optional<WindowFacts> Shown(std::optional<WindowFacts> window) {
    if (window && !window->visible) return std::nullopt;
    return window;
}

bool Usable(const std::optional<WindowFacts>& window) { return window && !window->minimised; }

}  // namespace

bool SkippedByPlacement(const ScreenRect& rect) {
    if (rect.Width() < 10 || rect.Height() < 10) return true;
    return rect.left < -10000 || rect.top < -10000 || rect.left > 10000 || rect.top >= 10001;
}

TitleSlot TitleSlotFor(std::wstring_view className, std::wstring_view title) {
    if (SameClass(className, kConversationClass) || (title == kPreviewTitle && SameClass(className, kPreviewClass)))
        return TitleSlot::Conversation;
    if (SameClass(className, kMainFormClass)) return TitleSlot::MainForm;
    if (SameClass(className, kCallMonitorClass)) return TitleSlot::CallMonitor;
    return TitleSlot::None;
}

SkypeWindows FindSkypeWindows(WindowFinder& finder, const SkypeTitles& titles) {
    SkypeWindows found;
    found.live = Shown(finder.Find(kLiveClass, kLiveTitle));
    found.conversation = Shown(finder.Find(kConversationClass, titles.conversation));
    if (!found.conversation) found.conversation = Shown(finder.Find(kPreviewClass, kPreviewTitle));
    found.mainForm = Shown(finder.Find(kMainFormClass, titles.mainForm));
    found.callMonitor = Shown(finder.Find(kCallMonitorClass, titles.callMonitor));
    return found;
}

const WindowFacts* ChooseTrackedWindow(const SkypeWindows& windows, int autoMark) {
    if (Usable(windows.live)) return &*windows.live;
    if (autoMark == 1) {
        if (Usable(windows.conversation)) return &*windows.conversation;
        if (Usable(windows.mainForm)) return &*windows.mainForm;
        return nullptr;
    }
    return windows.callMonitor ? &*windows.callMonitor : nullptr;
}

int BackgroundActiveFor(const WindowFacts* tracked, int hideWindow) {
    return tracked && !tracked->minimised && hideWindow ? 1 : 0;
}

std::optional<std::wstring> IdleStatusText(const SkypeWindows& windows, int autoMark, std::wstring_view trackedTitle,
                                           int backgroundActive) {
    const bool callWindow = windows.live || windows.conversation || windows.mainForm;
    if (windows.None()) return std::wstring(L"No Skype window detected");
    if (autoMark != 0 && !callWindow) return std::wstring(L"Skype main window not detected");
    if (autoMark == 0 && callWindow && !windows.callMonitor) return std::wstring(L"Skype small window not detected");
    if (trackedTitle.empty()) return std::nullopt;
    const std::wstring suffix = L" (" + std::to_wstring(backgroundActive) + L")";
    if (trackedTitle == kLiveTitle) return L"Full screen Skype window" + suffix;
    // "%s (%d)" in the status line's 4096 characters: the title gives way.
    const std::size_t room = kStatusCapacity - 1 - suffix.size();
    return std::wstring(trackedTitle.substr(0, room)) + suffix;
}

int RelativeScaleFor(int backgroundActive, int monitor, int scale1, double scale2) {
    if (!backgroundActive || monitor != 2) return 100;
    if (scale1 == 0) scale1 = 100;
    const double relative = scale2 * 100.0 / scale1;
    if (std::isnan(relative) || relative >= static_cast<double>(std::numeric_limits<int>::max()) ||
        relative <= static_cast<double>(std::numeric_limits<int>::min()))
        return 100;
    const int result = static_cast<int>(relative);
    return result == 0 ? 100 : result;
}

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom && a.Width() > 0 &&
           a.Height() > 0 && b.Width() > 0 && b.Height() > 0;
}

MonitorFlip FlipMonitor(const ScreenRect& window, int monitor, const ScreenRect& display1,
                        const ScreenRect& display2Work) {
    MonitorFlip flip;
    flip.monitor = monitor;
    const bool on1 = Intersects(window, display1);
    const bool on2 = Intersects(window, display2Work);
    flip.onDisplays = on1 || on2;
    if (on2 && monitor == 1) {
        flip.monitor = 2;
        flip.restartPreview = true;
    } else if (on1 && monitor == 2) {
        flip.monitor = 1;
        flip.restartPreview = true;
    }
    return flip;
}

ScreenRect FitOnDisplay(const ScreenRect& window, int monitor, const ScreenRect& display1, const ScreenRect& display2) {
    long long d = -1;
    if (monitor != 1 && window.left < display2.left)
        d = std::llabs(static_cast<long long>(window.left) - display2.left);
    else if (monitor == 1 && window.left < 0)
        d = std::llabs(static_cast<long long>(window.left) - display1.left);
    if (d < 0) return window;
    ScreenRect fitted = window;
    // Held inside the int range: a window cannot lie that far off anyway.
    const long long left = window.left + d + 1;
    const long long right = window.right - d - 1;
    fitted.left = static_cast<int>(left > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : left);
    fitted.right = static_cast<int>(right < std::numeric_limits<int>::min() ? std::numeric_limits<int>::min() : right);
    return fitted;
}
