#pragma once
// The recorder window's geometry: the interface scale, where the window
// opens, where the small layout's controls go, and what a click on the
// window's own caption means. Portable, so the formulas are tested natively.

#include <string_view>

#include "app/services/Geometry.h"

// A scaled size truncated to whole pixels, the product first rounded to a
// double. The 32-bit build's x87 unit keeps products in more precision, in
// which 30 x 1.2 is 35.99... and truncates to 35 where 36 is meant.
int TruncatePixels(double value);

// "Size" / 100, at most 2.5; 1.2 when "Size" is 0.
double UiScale(int sizeSetting);

// The "Position" setting: two numbers separated by a comma, both non-zero.
bool ParsePosition(std::wstring_view text, int& x, int& y);

// The default top-left corner: bottom right of the desktop, above the taskbar.
// width and height are the window's unscaled size.
void DefaultPlacement(const ScreenRect& desktop, int width, int height, double scale, int taskbarHeight, int& x,
                      int& y);

// The small layout's controls in a client area of w x h pixels.
struct SmallLayout {
    ScreenRect header;    // 1232
    ScreenRect close;     // 1234
    ScreenRect minimise;  // 1236
    ScreenRect settings;  // 311
    ScreenRect record;    // 1215
    ScreenRect play;      // 308
    ScreenRect mark;      // 309
    ScreenRect status;    // 118
    int buttonFontHeight = 0;
    int statusFontHeight = 0;
};
SmallLayout ComputeSmallLayout(int w, int h, double scale);

// The large layout's status line.
ScreenRect LargeStatusRect(int w, int h, double scale);

// What a left button press at (x, y) in client pixels starts.
enum class CaptionHit { None, Drag, Close, Minimise };
CaptionHit HitOnButtonDown(bool smallLayout, int x, int y, double scale);
// Whether a release at (x, y) completes an armed close or minimise.
bool CloseReleaseHit(int x, int y, double scale);
bool MinimiseReleaseHit(int x, int y, double scale);
