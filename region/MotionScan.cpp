#include "region/MotionScan.h"

#include <cstdlib>

#include "region/PixelColour.h"

namespace {

constexpr int kRunToOpen = 21;
// Rows 0 and 1 (the bottom of the area) never open a span.
constexpr int kIgnoredBottomRows = 2;

bool Cancelled(const std::atomic<bool>& cancel) { return cancel.load(std::memory_order_relaxed); }

bool ClosesAt(const FramePair& frames, size_t index, size_t pixelCount) {
    if (index + 3 < pixelCount && PixelChanged(frames, index + 3)) return false;
    const uint8_t* p = frames.a + index * 4;
    return ClosesSpan(p[2], p[1], p[0]);
}

}  // namespace

ForwardScanResult ForwardScan(const FramePair& frames, ScanRows& rows, const std::atomic<bool>& cancel,
                              ScanObserver* observer) {
    ForwardScanResult result;
    const int wd = frames.width;
    const int hd = frames.height;
    const int scanned = ScannedRows(hd);
    const int firstRow = hd - scanned;
    const size_t pixelCount = frames.PixelCount();
    rows.forwardRows = 0;
    if (wd <= 0) return result;
    for (int r = firstRow; r < hd; ++r) {
        const int j = r - firstRow + 1;
        const size_t rowStart = static_cast<size_t>(r) * static_cast<size_t>(wd);
        int c = 0;
        // Stops with the pixels walked so far, this one not among them.
        auto stop = [&] {
            result.cancelled = true;
            result.pixelsWalked += c;
            return result;
        };
        if (r < kIgnoredBottomRows) {
            // Nothing in these rows counts: only the cancel flag is looked at.
            if (Cancelled(cancel)) return stop();
            c = wd;
        } else {
            int run = 0;
            bool opened = false;
            for (; c < wd; ++c) {
                if (Cancelled(cancel)) return stop();
                if (!PixelChanged(frames, rowStart + c)) {
                    run = 0;
                    continue;
                }
                ++result.diffCount;
                if (++run >= kRunToOpen) {
                    rows.leftCol[j] = c - run + 1;
                    result.topY = hd - r;
                    opened = true;
                    if (observer) observer->SpanOpened(hd - r);
                    ++c;
                    break;
                }
            }
            // A span from column 0 never closes.
            if (opened && rows.leftCol[j] > 0) {
                for (; c < wd; ++c) {
                    if (Cancelled(cancel)) return stop();
                    const size_t index = rowStart + c;
                    if (PixelChanged(frames, index)) {
                        ++result.diffCount;
                        continue;
                    }
                    if (!ClosesAt(frames, index, pixelCount)) continue;
                    rows.rightCol[j] = c;
                    rows.spanWidth[j] = std::abs(c - rows.leftCol[j]);
                    if (result.bottomY == 0 && rows.spanWidth[j] > 200) result.bottomY = hd - r;
                    ++c;
                    break;
                }
            }
            for (; c < wd; ++c) {
                if (Cancelled(cancel)) return stop();
                if (PixelChanged(frames, rowStart + c)) ++result.diffCount;
            }
        }
        result.pixelsWalked += wd;
        rows.forwardRows = j;
        if (observer) observer->ForwardRowEnded(rows.leftCol[j], rows.rightCol[j]);
    }
    return result;
}

ReverseScanResult ReverseScan(const FramePair& frames, int menuHeight, ScanRows& rows, const std::atomic<bool>& cancel,
                              ScanObserver* observer) {
    ReverseScanResult result;
    const int wd = frames.width;
    const int hd = frames.height;
    const int scanned = ScannedRows(hd);
    rows.reverseRows = 0;
    if (wd <= 0) return result;
    for (int q = 0; q < scanned; ++q) {
        const int j = q + 1;
        const size_t rowStart = static_cast<size_t>(hd - 1 - q) * static_cast<size_t>(wd);
        int n = 0;
        if (q > menuHeight && q > 1) {
            for (; n < wd; ++n) {
                if (Cancelled(cancel)) {
                    result.cancelled = true;
                    result.pixelsWalked += n;
                    return result;
                }
                if (PixelChanged(frames, rowStart + static_cast<size_t>(wd - 1 - n))) {
                    rows.rightEdge[j] = wd - n;
                    if (observer) observer->EdgeRecorded(hd - q);
                    // The rest of the row can record nothing more.
                    break;
                }
            }
        } else if (Cancelled(cancel)) {
            result.cancelled = true;
            return result;
        }
        result.pixelsWalked += wd;
        rows.reverseRows = j;
        if (observer) observer->ReverseRowEnded(rows.leftCol[scanned - q], rows.rightEdge[j]);
    }
    return result;
}
