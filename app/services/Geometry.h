#pragma once
// Screen rectangles in virtual-screen pixels (left, top, right, bottom), in
// portable code that cannot use the Win32 RECT.

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const ScreenRect& a, const ScreenRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const ScreenRect& a, const ScreenRect& b) { return !(a == b); }
};
