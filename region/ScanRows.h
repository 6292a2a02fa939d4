#pragma once
// The per-row results of one attempt's two scans. Rows are numbered from 1
// in each scan's own order (the forward scan from the bottom of the area,
// the reverse scan from the top); the arrays hold 3,000 rows, so a taller
// area is searched in its top 3,000 rows.

#include <vector>

constexpr int kMaxScanRows = 3000;

enum RowSeen { kRowUnknown = 0, kRowStill = 1, kRowMoved = 2 };

struct ScanRows {
    ScanRows()
        : leftCol(kMaxScanRows + 1),
          rightCol(kMaxScanRows + 1),
          spanWidth(kMaxScanRows + 1),
          rightEdge(kMaxScanRows + 1),
          votes(kMaxScanRows + 1),
          forwardSeen(kMaxScanRows + 1) {}

    // Forward scan: where the row's span begins and ends, and their distance.
    std::vector<int> leftCol;
    std::vector<int> rightCol;
    std::vector<int> spanWidth;
    // Reverse scan: one past the rightmost changed column.
    std::vector<int> rightEdge;
    // Scratch of the votes.
    std::vector<int> votes;
    // Forward scan: whether it saw a changed pixel in the row (kRowMoved),
    // none (kRowStill) or did not look (kRowUnknown, the two bottom rows).
    // The reverse scan passes over still rows whole.
    std::vector<int> forwardSeen;
    int forwardRows = 0;
    int reverseRows = 0;

    void Clear() {
        for (std::vector<int>* rows : {&leftCol, &rightCol, &spanWidth, &rightEdge, &votes, &forwardSeen})
            rows->assign(rows->size(), 0);
        forwardRows = 0;
        reverseRows = 0;
    }
};

// The rows an area of this height is searched in.
inline int ScannedRows(int height) { return height < kMaxScanRows ? (height > 0 ? height : 0) : kMaxScanRows; }
