#include "companions/pixark/CaptureGeometry.h"

#include <algorithm>
#include <cstdint>

namespace pixark {

bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return r.Empty() ? Rect{} : r;
}

namespace {

int32_t Clamped(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

BlitPlan Finish(BlitPlan plan, const Rect& capture) {
    plan.any = !plan.dst.Empty() && !plan.src.Empty();
    if (!plan.any) return BlitPlan{};
    plan.covered = plan.dst.left == 0 && plan.dst.top == 0 && plan.dst.Width() == capture.Width() &&
                   plan.dst.Height() == capture.Height();
    return plan;
}

// Frame offset of window offset `rel` (window pixels from the capture's
// anchor) at the given scale, rounded toward the anchor.
int32_t ToFrame(int64_t rel, int32_t scale) { return static_cast<int32_t>(rel * scale / 100); }

}  // namespace

Rect Shifted(const Rect& r, int64_t dx, int64_t dy) {
    return Rect{Clamped(r.left + dx), Clamped(r.top + dy), Clamped(r.right + dx), Clamped(r.bottom + dy)};
}

BlitPlan PlanScreenBlit(const Rect& capture, const Rect& screen) {
    BlitPlan plan;
    if (capture.Empty()) return plan;
    plan.src = Intersect(capture, screen);
    if (plan.src.Empty()) return BlitPlan{};
    plan.dst = Rect{static_cast<int32_t>(int64_t{plan.src.left} - capture.left),
                    static_cast<int32_t>(int64_t{plan.src.top} - capture.top),
                    static_cast<int32_t>(int64_t{plan.src.right} - capture.left),
                    static_cast<int32_t>(int64_t{plan.src.bottom} - capture.top)};
    return Finish(plan, capture);
}

BlitPlan PlanWindowBlit(const Rect& capture, const Rect& window, int32_t scalePercent) {
    if (capture.Empty() || window.Empty() || scalePercent <= 0) return BlitPlan{};
    const int64_t anchorX = int64_t{capture.left} - window.left;
    const int64_t anchorY = int64_t{capture.top} - window.top;
    // The window pixels the frame would show, before clipping to the window.
    const int64_t spanX = capture.Width() * 100 / scalePercent;
    const int64_t spanY = capture.Height() * 100 / scalePercent;
    const int64_t srcL = std::max<int64_t>(anchorX, 0), srcT = std::max<int64_t>(anchorY, 0);
    const int64_t srcR = std::min<int64_t>(anchorX + spanX, window.Width());
    const int64_t srcB = std::min<int64_t>(anchorY + spanY, window.Height());
    if (srcR <= srcL || srcB <= srcT) return BlitPlan{};
    BlitPlan plan;
    plan.src = Rect{static_cast<int32_t>(srcL), static_cast<int32_t>(srcT), static_cast<int32_t>(srcR),
                    static_cast<int32_t>(srcB)};
    const int64_t w = capture.Width(), h = capture.Height();
    plan.dst = Rect{ToFrame(srcL - anchorX, scalePercent), ToFrame(srcT - anchorY, scalePercent),
                    static_cast<int32_t>(std::min<int64_t>(ToFrame(srcR - anchorX, scalePercent), w)),
                    static_cast<int32_t>(std::min<int64_t>(ToFrame(srcB - anchorY, scalePercent), h))};
    // A span truncated to whole window pixels can leave the last frame
    // column uncovered; when the source reaches the span's end the frame's
    // edge is reached too.
    if (srcR == anchorX + spanX) plan.dst.right = static_cast<int32_t>(w);
    if (srcB == anchorY + spanY) plan.dst.bottom = static_cast<int32_t>(h);
    return Finish(plan, capture);
}

}  // namespace pixark
