#include "app/window/WinDlgLayout.h"

#include <cwctype>
#include <string>

#include "graph/ClonePreviewPlacement.h"

int TruncatePixels(double value) {
    // The store into a volatile double drops the excess precision.
    volatile double rounded = value;
    return static_cast<int>(rounded);
}

double UiScale(int sizeSetting) {
    if (sizeSetting == 0) return 1.2;
    const double scale = sizeSetting / 100.0;
    return scale > 2.5 ? 2.5 : scale;
}

bool ParsePosition(std::wstring_view text, int& x, int& y) {
    const size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos) return false;
    const auto number = [](std::wstring_view part, int& out) {
        while (!part.empty() && std::iswspace(part.front())) part.remove_prefix(1);
        bool negative = false;
        if (!part.empty() && (part.front() == L'-' || part.front() == L'+')) {
            negative = part.front() == L'-';
            part.remove_prefix(1);
        }
        if (part.empty() || !std::iswdigit(part.front())) return false;
        long long value = 0;
        while (!part.empty() && std::iswdigit(part.front()) && value < 1000000) {
            value = value * 10 + (part.front() - L'0');
            part.remove_prefix(1);
        }
        out = static_cast<int>(negative ? -value : value);
        return true;
    };
    int px = 0, py = 0;
    if (!number(text.substr(0, comma), px) || !number(text.substr(comma + 1), py)) return false;
    if (px == 0 || py == 0) return false;
    x = px;
    y = py;
    return true;
}

void DefaultPlacement(const ScreenRect& desktop, int width, int height, double scale, int taskbarHeight, int& x,
                      int& y) {
    x = desktop.right - width - TruncatePixels(scale * 100);
    y = desktop.bottom - height - TruncatePixels(scale * taskbarHeight) - TruncatePixels(scale * 50);
}

SmallLayout ComputeSmallLayout(int w, int h, double s) {
    SmallLayout l;
    l.header = {0, 0, w, TruncatePixels(30 * s)};
    const int buttonTop = TruncatePixels(3.5 * s * s);
    const int buttonBottom = TruncatePixels(22 * s);
    const int step = TruncatePixels(17 * s);
    l.close = {w - step - 2, buttonTop, w - 2, buttonBottom};
    l.minimise = {w - 2 * step - 2, buttonTop, w - step - 2, buttonBottom};

    const double unit = w / 3.973;
    const int rowTop = TruncatePixels(30 * s);
    const int rowBottom = rowTop + h / 7;
    l.settings = {0, rowTop, TruncatePixels(unit), rowBottom};
    l.record = {TruncatePixels(unit + 1), rowTop, TruncatePixels(2 * unit), rowBottom};
    l.play = {TruncatePixels(2 * unit + 1), rowTop, TruncatePixels(3 * unit), rowBottom};
    l.mark = {TruncatePixels(3 * unit + 1), rowTop, w, rowBottom};
    l.buttonFontHeight = h / 16;

    l.status = {0, h - h / 10, w, h};
    l.statusFontHeight = h / 14;
    return l;
}

ScreenRect LargeStatusRect(int w, int h, double s) {
    return {1, h - TruncatePixels(17 * s), w - TruncatePixels(48 * s), h};
}

namespace {
bool Within(int v, double low, double high) { return v >= low && v <= high; }
}  // namespace

CaptionHit HitOnButtonDown(bool smallLayout, int x, int y, double s) {
    if (smallLayout && y > 0 && y <= 14 * s && x > 0 && x <= 180 * s) return CaptionHit::Drag;
    if (Within(x, 490 * s, 505 * s) && Within(y, 4 * s, 20 * s)) return CaptionHit::Close;
    if (Within(x, 467 * s, 481 * s) && Within(y, 4 * s, 20 * s)) return CaptionHit::Minimise;
    if (Within(x, 40 * s, 460 * s) && Within(y, 4 * s, 20 * s)) return CaptionHit::Drag;
    return CaptionHit::None;
}

bool CloseReleaseHit(int x, int y, double s) { return Within(x, 490 * s, 505 * s) && Within(y, 4 * s, 17 * s); }

bool MinimiseReleaseHit(int x, int y, double s) { return Within(x, 467 * s, 481 * s) && Within(y, 4 * s, 20 * s); }

// The clone preview's questions about this layout.
double RecorderInterfaceScale(int sizeSetting) { return UiScale(sizeSetting); }
int RecorderButtonRowBottom(int clientWidth, int clientHeight, double scale) {
    return ComputeSmallLayout(clientWidth, clientHeight, scale).record.bottom;
}
