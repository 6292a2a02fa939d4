#pragma once
// Where the pixels of a frame come from: the part of the capture rectangle
// that a source (the virtual screen, or a window's own surface) can give,
// and where that part lands in the frame. What no source covers stays black.
// Portable.

#include <cstdint>

namespace pixark {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int64_t Width() const { return int64_t{right} - left; }
    int64_t Height() const { return int64_t{bottom} - top; }
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
};

bool operator==(const Rect& a, const Rect& b);

// The overlap of a and b; an empty rectangle (all zero) when they do not meet.
Rect Intersect(const Rect& a, const Rect& b);

struct BlitPlan {
    bool any = false;      // false: nothing to copy, the frame is all black
    bool covered = false;  // the copy fills the whole frame (no black edges)
    Rect dst;              // in frame pixels, top-left origin
    Rect src;              // in source pixels (screen or window coordinates)
};

// A screen capture: `capture` and `screen` in virtual-screen pixels; the
// source rectangle is in the same coordinates.
BlitPlan PlanScreenBlit(const Rect& capture, const Rect& screen);

// `r` moved by dx, dy, each edge held inside the 32-bit range.
Rect Shifted(const Rect& r, int64_t dx, int64_t dy);

// A capture from a window's own surface. `window` is the window's rectangle
// on the virtual screen; the source is in window pixels (origin at the
// window's top-left). The capture rectangle's top-left stays on the window
// pixel under it, and the frame shows the window magnified by
// scalePercent / 100 from there: one window pixel spans scalePercent / 100
// frame pixels. At 100 this is the screen capture of an uncovered window.
BlitPlan PlanWindowBlit(const Rect& capture, const Rect& window, int32_t scalePercent);

}  // namespace pixark
