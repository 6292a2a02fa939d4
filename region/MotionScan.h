#pragma once
// The two scans of one attempt over a pair of grabs.
//
// Forward ("left to right"): memory order, rows from the bottom of the area
// upwards, each row left to right. A run of 21 changed pixels opens the
// row's span where the run began; the first unchanged pixel after it whose
// neighbour three pixels further on is unchanged too and whose colour is
// grey closes it. The two bottom rows of the area never count.
//
// Reverse ("right to left"): from the last pixel back to the first, rows
// from the top downwards, each row right to left; the first changed pixel of
// a row is its right edge. The top menuHeight rows (and at least the top
// two) never count.
//
// Both stop as soon as they see the cancel flag set: they look at it every
// 64 pixels and after every span opened.

#include <atomic>
#include <cstdint>

#include "region/FramePair.h"
#include "region/ScanRows.h"

// What the trace of a search writes while the scans run (only when tracing).
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // line: the area's height minus the row number.
    virtual void SpanOpened(int line) = 0;
    virtual void ForwardRowEnded(int leftCol, int rightCol) = 0;
    virtual void EdgeRecorded(int line) = 0;
    // leftCol is the forward scan's for the same row of the area.
    virtual void ReverseRowEnded(int leftCol, int rightEdge) = 0;
};

struct ForwardScanResult {
    int64_t diffCount = 0;
    // Offsets from the top of the area; 0 = not found.
    int topY = 0;
    int bottomY = 0;
    int64_t pixelsWalked = 0;
    bool cancelled = false;
};

ForwardScanResult ForwardScan(const FramePair& frames, ScanRows& rows, const std::atomic<bool>& cancel,
                              ScanObserver* observer = nullptr);

struct ReverseScanResult {
    int64_t pixelsWalked = 0;
    bool cancelled = false;
};

// rows: as the forward scan of the same grabs left them (its still rows are
// passed over whole and its span starts go to the observer), or cleared.
ReverseScanResult ReverseScan(const FramePair& frames, int menuHeight, ScanRows& rows, const std::atomic<bool>& cancel,
                              ScanObserver* observer = nullptr);
