#include "region/MotionScan.h"

#include <algorithm>
#include <cstdlib>

#include "region/PixelColour.h"

namespace {

constexpr int kRunToOpen = 21;
// Rows 0 and 1 (the bottom of the area) never open a span.
constexpr int kIgnoredBottomRows = 2;
// The scans go through a row in blocks of this many pixels: a block with no
// change (or only changes, inside a span) is taken whole, with no per-pixel
// branches, and the cancel flag is looked at once per block and after every
// span or edge.
constexpr int kBlock = 64;

bool Cancelled(const std::atomic<bool>& cancel) { return cancel.load(std::memory_order_relaxed); }

uint32_t Difference(const FramePair& frames, size_t index) {
    return (PixelValue(frames.a, index) ^ PixelValue(frames.b, index)) & 0x00FFFFFFu;
}

// Loops of a fixed length without early exits, which the compiler turns
// into vector code.
bool AnyChangedInBlock(const FramePair& frames, size_t from) {
    uint32_t any = 0;
    for (int i = 0; i < kBlock; ++i) any |= Difference(frames, from + static_cast<size_t>(i));
    return any != 0;
}

int ChangedInBlock(const FramePair& frames, size_t from) {
    int n = 0;
    for (int i = 0; i < kBlock; ++i) n += Difference(frames, from + static_cast<size_t>(i)) != 0 ? 1 : 0;
    return n;
}

int ChangedIn(const FramePair& frames, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from; i < to; ++i) n += Difference(frames, i) != 0 ? 1 : 0;
    return n;
}

bool ClosesAt(const FramePair& frames, size_t index, size_t pixelCount) {
    if (index + 3 < pixelCount && PixelChanged(frames, index + 3)) return false;
    const uint8_t* p = frames.a + index * 4;
    return ClosesSpan(p[2], p[1], p[0]);
}

// One forward row (r >= 2); false when cancelled, with c at the first pixel
// not walked.
bool ForwardRow(const FramePair& frames, int r, int j, ScanRows& rows, ForwardScanResult& result,
                const std::atomic<bool>& cancel, ScanObserver* observer, int& c) {
    const int wd = frames.width;
    const int hd = frames.height;
    const size_t rowStart = static_cast<size_t>(r) * static_cast<size_t>(wd);
    const size_t pixelCount = frames.PixelCount();
    const int64_t diffBefore = result.diffCount;
    c = 0;

    // Looking for a run of 21 changed pixels.
    int run = 0;
    bool opened = false;
    while (c < wd && !opened) {
        if (Cancelled(cancel)) return false;
        const int end = std::min(c + kBlock, wd);
        if (run == 0 && end - c == kBlock && !AnyChangedInBlock(frames, rowStart + static_cast<size_t>(c))) {
            c = end;
            continue;
        }
        for (; c < end; ++c) {
            if (!PixelChanged(frames, rowStart + static_cast<size_t>(c))) {
                run = 0;
                continue;
            }
            ++result.diffCount;
            if (++run >= kRunToOpen) {
                rows.leftCol[j] = c - run + 1;
                result.topY = hd - r;
                opened = true;
                ++c;
                if (observer) {
                    observer->SpanOpened(hd - r);
                    if (Cancelled(cancel)) return false;
                }
                break;
            }
        }
    }

    // Inside the span, until a still grey pixel closes it. A span from
    // column 0 never closes.
    if (opened && rows.leftCol[j] > 0) {
        bool closed = false;
        while (c < wd && !closed) {
            if (Cancelled(cancel)) return false;
            const int end = std::min(c + kBlock, wd);
            if (end - c == kBlock && ChangedInBlock(frames, rowStart + static_cast<size_t>(c)) == kBlock) {
                result.diffCount += kBlock;
                c = end;
                continue;
            }
            for (; c < end; ++c) {
                const size_t index = rowStart + static_cast<size_t>(c);
                if (PixelChanged(frames, index)) {
                    ++result.diffCount;
                    continue;
                }
                if (!ClosesAt(frames, index, pixelCount)) continue;
                rows.rightCol[j] = c;
                rows.spanWidth[j] = std::abs(c - rows.leftCol[j]);
                if (result.bottomY == 0 && rows.spanWidth[j] > 200) result.bottomY = hd - r;
                closed = true;
                ++c;
                break;
            }
        }
    }

    // The rest of the row only counts.
    while (c < wd) {
        if (Cancelled(cancel)) return false;
        const int end = std::min(c + kBlock, wd);
        const size_t from = rowStart + static_cast<size_t>(c);
        result.diffCount += end - c == kBlock ? ChangedInBlock(frames, from)
                                              : ChangedIn(frames, from, rowStart + static_cast<size_t>(end));
        c = end;
    }
    rows.forwardSeen[j] = result.diffCount > diffBefore ? kRowMoved : kRowStill;
    return true;
}

// One reverse row; false when cancelled, with n the pixels walked.
bool ReverseRow(const FramePair& frames, int q, int j, ScanRows& rows, const std::atomic<bool>& cancel,
                ScanObserver* observer, int& n) {
    const int wd = frames.width;
    const int hd = frames.height;
    const size_t rowStart = static_cast<size_t>(hd - 1 - q) * static_cast<size_t>(wd);
    n = 0;
    while (n < wd) {
        if (Cancelled(cancel)) return false;
        const int take = std::min(kBlock, wd - n);
        if (take == kBlock && !AnyChangedInBlock(frames, rowStart + static_cast<size_t>(wd - n - take))) {
            n += take;
            continue;
        }
        for (int k = 0; k < take; ++k, ++n) {
            if (PixelChanged(frames, rowStart + static_cast<size_t>(wd - 1 - n))) {
                rows.rightEdge[j] = wd - n;
                if (observer) observer->EdgeRecorded(hd - q);
                // The rest of the row can record nothing more.
                return true;
            }
        }
    }
    return true;
}

}  // namespace

ForwardScanResult ForwardScan(const FramePair& frames, ScanRows& rows, const std::atomic<bool>& cancel,
                              ScanObserver* observer) {
    ForwardScanResult result;
    const int wd = frames.width;
    const int hd = frames.height;
    const int scanned = ScannedRows(hd);
    const int firstRow = hd - scanned;
    rows.forwardRows = 0;
    if (wd <= 0) return result;
    for (int r = firstRow; r < hd; ++r) {
        const int j = r - firstRow + 1;
        int c = 0;
        if (r < kIgnoredBottomRows) {
            // Nothing in these rows counts: only the cancel flag is looked at.
            if (Cancelled(cancel)) {
                result.cancelled = true;
                return result;
            }
        } else if (!ForwardRow(frames, r, j, rows, result, cancel, observer, c)) {
            result.cancelled = true;
            result.pixelsWalked += c;
            return result;
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
        // The same row of the area in the forward scan's numbering.
        const int forwardRow = scanned - q;
        int n = 0;
        if (Cancelled(cancel)) {
            result.cancelled = true;
            return result;
        }
        if (q > menuHeight && q > 1 && rows.forwardSeen[forwardRow] != kRowStill &&
            !ReverseRow(frames, q, j, rows, cancel, observer, n)) {
            result.cancelled = true;
            result.pixelsWalked += n;
            return result;
        }
        result.pixelsWalked += wd;
        rows.reverseRows = j;
        if (observer) observer->ReverseRowEnded(rows.leftCol[forwardRow], rows.rightEdge[j]);
    }
    return result;
}
