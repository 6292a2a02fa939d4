#pragma once
// The votes over one attempt's rows and the rectangle they give.
//
// A row that may vote gets 1 plus the number of rows scanned after it with
// the same value; the first row with the highest vote wins.

#include <cstdint>

#include "region/ScanRows.h"

struct RowVote {
    int votes = 0;  // 0: no row could vote
    int row = 0;    // the winner, 1-based in its scan's order
    int value = 0;  // the winner's column
};

// Forward rows whose span has a start (leftCol not 0) and is wider than 100, on leftCol.
RowVote LeftVote(ScanRows& rows);
// Reverse rows with a right edge, on rightEdge.
RowVote RightVote(ScanRows& rows);
// Forward rows as for the left vote, on rightCol (the trace shows it).
RowVote SpanEndVote(ScanRows& rows);

// One attempt's rectangle, in offsets from the area's top-left corner.
struct MotionRect {
    RowVote left;
    RowVote right;
    RowVote spanEnd;
    int xLeft = 0;
    int xRight = 0;
    int topY = 0;
    int bottomY = 0;
    int Width() const { return xRight > xLeft ? xRight - xLeft : xLeft - xRight; }
    int Height() const { return bottomY > topY ? bottomY - topY : topY - bottomY; }
};

// edgeX: the horizontal window-edge width, taken off both sides.
MotionRect VoteRect(ScanRows& rows, int topY, int bottomY, int edgeX);

// pass: the qualifying attempts before this one. The first is never accepted.
bool AcceptRect(int pass, const MotionRect& rect);
