#include "settings/MonitorPlacement.h"

#include <cmath>
#include <cwchar>
#include <limits>

int BackgroundScale = 100;

namespace {

std::wstring Resolution(int width, int height, int scale) {
    wchar_t text[128];
    std::swprintf(text, sizeof text / sizeof text[0], L"resolution: %dx%d scale: %d%ls", width, height, scale, L"%");
    return text;
}

// Truncated towards zero, held inside the int range; NaN gives 0.
int Truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// scale2 * 100 / scale1, where a scale1 of 0 counts as 100.
int RelativeScale(const MonitorDisplays& displays) {
    const int scale1 = displays.scale1 == 0 ? 100 : displays.scale1;
    return Truncate(displays.scale2 * 100.0 / scale1);
}

ScreenRect MarkedRegionOn(const ScreenRect& monitor) {
    return ScreenRect{monitor.left + 100, monitor.top + 100, monitor.left + 600, monitor.top + 500};
}

}  // namespace

double CaptureScaleRatio(int monitorCount) { return monitorCount > 1 ? BackgroundScale / 100.0 : 1.0; }

MonitorTexts ComputeMonitorTexts(const MonitorDisplays& displays, const SettingsRecord& settings) {
    MonitorTexts texts;
    if (displays.count <= 1) {
        const int width = displays.physicalWidth1 != 0 ? displays.physicalWidth1 : displays.desktop.Width();
        const int height = displays.physicalHeight1 != 0 ? displays.physicalHeight1 : displays.desktop.Height();
        texts.text1 = Resolution(width, height, displays.scale1);
        texts.backgroundScale = 100;
        return texts;
    }
    const int width2 = displays.physicalWidth2 != 0 ? displays.physicalWidth2 : displays.display2.Width();
    texts.text1 = Resolution(displays.desktop.Width(), displays.desktop.Height(), displays.scale1);
    texts.text2 = Resolution(width2, displays.display2.Height(), Truncate(displays.scale2));
    if (settings.Scale != 0)
        texts.backgroundScale = settings.Scale;
    else if (settings.Monitor != 1 && settings.HideWindow != 0)
        texts.backgroundScale = RelativeScale(displays);
    else
        texts.backgroundScale = 100;
    return texts;
}

MonitorDialogContents DialogContents(const MonitorDisplays& displays, const MonitorTexts& texts, int monitorSetting) {
    MonitorDialogContents contents;
    const bool two = displays.count > 1;
    contents.monitor2Enabled = two;
    contents.checked = monitorSetting == 1 || monitorSetting == 2 ? monitorSetting : 0;
    contents.monitor1Text = L"(" + texts.text1 + L")";
    contents.monitor2Text = two ? L"(" + texts.text2 + L")" : L"Not detected";
    const int main = !two || displays.display2.left != 0 ? 1 : 2;
    contents.mainDisplayText = L"Monitor #" + std::to_wstring(main) + L" is the main display";
    contents.scaleLabelEnabled = two;
    contents.scaleBoxEnabled = two && displays.notWindows7;
    const int relative = RelativeScale(displays);
    contents.scaleBoxValue = relative == 0 ? 100 : relative;
    return contents;
}

int ScaleBoxValue(const std::wstring& boxText) {
    std::size_t i = 0;
    while (i < boxText.size() && boxText[i] == L' ') ++i;
    long long value = 0;
    bool digits = false;
    for (; i < boxText.size() && boxText[i] >= L'0' && boxText[i] <= L'9'; ++i) {
        digits = true;
        value = value * 10 + (boxText[i] - L'0');
        if (value > std::numeric_limits<int>::max()) return 100;
    }
    while (i < boxText.size() && boxText[i] == L' ') ++i;
    if (!digits || i != boxText.size() || value == 0) return 100;
    return static_cast<int>(value);
}

bool ApplyMonitorChoice(int checked, int scaleBoxValue, SettingsRecord& settings) {
    if (checked == 1) {
        settings.Monitor = 1;
        return true;
    }
    if (checked == 2) {
        settings.Monitor = 2;
        BackgroundScale = scaleBoxValue;
        settings.Scale = scaleBoxValue;
        return true;
    }
    return false;
}

void PlaceCaptureRegion(const MonitorDisplays& displays, SettingsRecord& settings) {
    if (settings.Monitor == 2) {
        if (settings.FullScreen != 0) {
            settings.FullScreen = 2;
            StoreCaptureRegion(settings, displays.display2);
        } else {
            StoreCaptureRegion(settings, MarkedRegionOn(displays.display2));
        }
    } else if (settings.Monitor == 1) {
        if (settings.FullScreen != 0) {
            settings.FullScreen = 1;
            StoreCaptureRegion(settings, displays.desktop);
        } else {
            StoreCaptureRegion(settings, MarkedRegionOn(displays.desktop));
        }
    }
}

void StoreCaptureRegion(SettingsRecord& settings, const ScreenRect& region) {
    settings.xTop = region.left;
    settings.yTop = region.top;
    settings.xBottom = region.right;
    settings.yBottom = region.bottom;
}

void ResetMarkers(SettingsRecord& settings) {
    settings.FullScreen = 0;
    StoreCaptureRegion(settings, ScreenRect{200, 200, 800, 600});
}
