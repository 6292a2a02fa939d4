// The two scans and the votes over synthetic pairs of grabs.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "region/MotionScan.h"
#include "region/MotionVote.h"
#include "tests/native/region/SyntheticFrames.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 600;
constexpr int kEdgeX = 2;
constexpr int kMenuHeight = 19;

struct Scanned {
    ForwardScanResult forward;
    ReverseScanResult reverse;
    MotionRect rect;
};

Scanned Scan(const SyntheticFrames& frames, ScanRows& rows, int menuHeight = kMenuHeight) {
    std::atomic<bool> cancel{false};
    rows.Clear();
    Scanned s;
    s.forward = ForwardScan(frames.Pair(), rows, cancel);
    s.reverse = ReverseScan(frames.Pair(), menuHeight, rows, cancel);
    s.rect = VoteRect(rows, s.forward.topY, s.forward.bottomY, kEdgeX);
    return s;
}

// Forward rows count from the bottom, reverse rows from the top (both from 1).
int ForwardRow(int y, int height = kHeight) { return height - y; }
int ReverseRow(int y) { return y + 1; }

TEST(MotionScan, StillPairsStayAtOrBelowTheQuietLimit) {
    ScanRows rows;
    SyntheticFrames still(kWidth, kHeight);
    EXPECT_EQ(Scan(still, rows).forward.diffCount, 0);
    // A blinking caret of 7 x 7 pixels is 49 changed pixels: still quiet.
    SyntheticFrames caret(kWidth, kHeight);
    caret.Change({300, 300, 307, 307});
    EXPECT_EQ(Scan(caret, rows).forward.diffCount, 49);
    // A colour that only the unused fourth byte changes is no change.
    SyntheticFrames fourth(kWidth, kHeight);
    fourth.A()[fourth.Index(10, 10) * 4 + 3] = 0x55;
    EXPECT_EQ(Scan(fourth, rows).forward.diffCount, 0);
}

TEST(MotionScan, VideoOnStillBackgroundGivesItsEdgesAndRows) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({100, 80, 740, 440});  // 640 x 360
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(s.forward.diffCount, 640 * 360);
    EXPECT_EQ(s.forward.pixelsWalked, int64_t{kWidth} * kHeight);
    EXPECT_FALSE(s.forward.cancelled);
    // The highest row opened is one below the area's top count; the lowest
    // closed span wider than 200 is the video's bottom row.
    EXPECT_EQ(s.forward.topY, 81);
    EXPECT_EQ(s.forward.bottomY, 440);
    EXPECT_EQ(rows.forwardRows, kHeight);
    EXPECT_EQ(rows.reverseRows, kHeight);
    for (int y : {80, 200, 439}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(rows.leftCol[ForwardRow(y)], 100);
        EXPECT_EQ(rows.rightCol[ForwardRow(y)], 740);
        EXPECT_EQ(rows.spanWidth[ForwardRow(y)], 640);
        EXPECT_EQ(rows.rightEdge[ReverseRow(y)], 740);
    }
    for (int y : {79, 440}) {
        EXPECT_EQ(rows.leftCol[ForwardRow(y)], 0);
        EXPECT_EQ(rows.rightEdge[ReverseRow(y)], 0);
    }
    EXPECT_EQ(s.rect.left.votes, 360);
    EXPECT_EQ(s.rect.left.row, ForwardRow(439));
    EXPECT_EQ(s.rect.right.votes, 360);
    EXPECT_EQ(s.rect.right.row, ReverseRow(80));
    EXPECT_EQ(s.rect.spanEnd.votes, 360);
    EXPECT_EQ(s.rect.spanEnd.value, 740);
    EXPECT_EQ(s.rect.xLeft, 100 + kEdgeX);
    EXPECT_EQ(s.rect.xRight, 740 - kEdgeX);
    EXPECT_EQ(s.rect.Width(), 636);
    EXPECT_EQ(s.rect.Height(), 359);
}

struct Placement {
    int areaWidth;
    int left;
    int right;
    int rightCol;   // where the rows' spans close (0: never)
    int leftVotes;  // rows whose closed span is wider than 100
};

class MotionScanPlacement : public ::testing::TestWithParam<Placement> {};

// Edges on, beside and between the scans' 64-pixel blocks, and areas whose
// width is no multiple of them.
TEST_P(MotionScanPlacement, EdgesAreExactWherever) {
    const Placement& p = GetParam();
    SyntheticFrames frames(p.areaWidth, 300);
    frames.Change({p.left, 50, p.right, 250});
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(s.forward.diffCount, int64_t{p.right - p.left} * 200);
    const int y = 120;
    EXPECT_EQ(rows.leftCol[ForwardRow(y, 300)], p.left);
    EXPECT_EQ(rows.rightCol[ForwardRow(y, 300)], p.rightCol);
    EXPECT_EQ(rows.rightEdge[ReverseRow(y)], p.right);
    EXPECT_EQ(s.rect.left.votes, p.leftVotes);
    EXPECT_EQ(s.rect.right.votes, 200);
}

INSTANTIATE_TEST_SUITE_P(Blocks, MotionScanPlacement,
                         ::testing::Values(Placement{1024, 1, 1020, 1020, 200}, Placement{1024, 63, 128, 128, 0},
                                           Placement{1024, 64, 177, 177, 200}, Placement{1024, 65, 129, 129, 0},
                                           Placement{997, 128, 960, 960, 200}, Placement{997, 5, 27, 27, 0},
                                           Placement{50, 3, 47, 47, 0},
                                           // Ending at the row's end: nothing closes it.
                                           Placement{1024, 127, 1024, 0, 0}, Placement{997, 700, 997, 0, 0},
                                           // One column short of the end: the pixel three on is in
                                           // the next row up, changed too, so only the video's top
                                           // row closes.
                                           Placement{1024, 1, 1023, 0, 1}));

TEST(MotionScan, TheTwoBottomRowsNeverCount) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({0, kHeight - 2, kWidth, kHeight});
    ScanRows rows;
    Scanned s = Scan(frames, rows);
    EXPECT_EQ(s.forward.diffCount, 0);
    EXPECT_EQ(s.forward.topY, 0);
    // The reverse scan still sees them: its rows are counted from the top.
    EXPECT_EQ(rows.rightEdge[ReverseRow(kHeight - 1)], kWidth);

    // A video reaching the bottom: its two lowest rows are left out.
    SyntheticFrames low(kWidth, kHeight);
    low.Change({100, kHeight - 300, 740, kHeight});
    s = Scan(low, rows);
    EXPECT_EQ(s.forward.diffCount, 640 * 298);
    EXPECT_EQ(rows.leftCol[ForwardRow(kHeight - 1)], 0);
    EXPECT_EQ(rows.leftCol[ForwardRow(kHeight - 2)], 0);
    EXPECT_EQ(rows.leftCol[ForwardRow(kHeight - 3)], 100);
    EXPECT_EQ(s.forward.bottomY, 598);
}

struct MenuCase {
    int menuHeight;
    int firstEdgeRow;  // the topmost screen row that gets a right edge
};

class ReverseScanMenu : public ::testing::TestWithParam<MenuCase> {};

TEST_P(ReverseScanMenu, TopRowsGetNoRightEdge) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({100, 0, 740, 60});
    ScanRows rows;
    const Scanned s = Scan(frames, rows, GetParam().menuHeight);
    for (int y = 0; y < 60; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(rows.rightEdge[ReverseRow(y)], y < GetParam().firstEdgeRow ? 0 : 740);
        // The forward scan takes them all.
        EXPECT_EQ(rows.leftCol[ForwardRow(y)], 100);
    }
    EXPECT_EQ(s.rect.right.votes, 60 - GetParam().firstEdgeRow);
    EXPECT_EQ(s.forward.topY, kHeight - (kHeight - 1));
}

INSTANTIATE_TEST_SUITE_P(Menus, ReverseScanMenu,
                         ::testing::Values(MenuCase{19, 20}, MenuCase{0, 2}, MenuCase{1, 2}, MenuCase{2, 3}));

TEST(MotionScan, SpanFromColumnZeroNeverCloses) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({0, 100, 640, 460});
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(rows.leftCol[ForwardRow(200)], 0);
    EXPECT_EQ(rows.rightCol[ForwardRow(200)], 0);
    EXPECT_EQ(rows.spanWidth[ForwardRow(200)], 0);
    EXPECT_EQ(s.forward.topY, 101);  // opened all the same
    EXPECT_EQ(s.forward.bottomY, 0);
    EXPECT_EQ(s.rect.left.votes, 0);
    EXPECT_EQ(s.forward.diffCount, 640 * 360);
    // One column further in, it closes.
    SyntheticFrames moved(kWidth, kHeight);
    moved.Change({1, 100, 641, 460});
    EXPECT_EQ(Scan(moved, rows).forward.bottomY, 460);
    EXPECT_EQ(rows.rightCol[ForwardRow(200)], 641);
}

TEST(MotionScan, SpansCloseOnlyOnStillGreyWithAStillNeighbourThreeOn) {
    ScanRows rows;
    // On a coloured background nothing closes.
    SyntheticFrames blue(kWidth, kHeight, Rgb{0, 0, 200});
    blue.Change({100, 80, 740, 440});
    Scanned s = Scan(blue, rows);
    EXPECT_EQ(rows.rightCol[ForwardRow(200)], 0);
    EXPECT_EQ(s.forward.bottomY, 0);
    EXPECT_EQ(s.rect.left.votes, 0);
    EXPECT_EQ(s.rect.right.votes, 360);  // the reverse scan needs no grey

    // A changed pixel three columns past the end moves the close one on.
    SyntheticFrames speck(kWidth, kHeight);
    speck.Change({100, 80, 740, 440});
    speck.Change({743, 200, 744, 201});
    Scan(speck, rows);
    EXPECT_EQ(rows.rightCol[ForwardRow(200)], 741);
    EXPECT_EQ(rows.rightCol[ForwardRow(201)], 740);

    // A still coloured picture inside the video keeps the span open; a still
    // grey bar inside it closes the span there.
    SyntheticFrames bars(kWidth, kHeight);
    bars.Change({100, 80, 740, 440});
    bars.Still({300, 100, 310, 110}, Rgb{0, 0, 200});
    bars.Still({300, 200, 310, 210}, kGrey);
    Scan(bars, rows);
    EXPECT_EQ(rows.rightCol[ForwardRow(105)], 740);
    EXPECT_EQ(rows.rightCol[ForwardRow(205)], 300);
    EXPECT_EQ(rows.spanWidth[ForwardRow(205)], 200);
}

TEST(MotionScan, AreasTallerThanTheRowArraysAreSearchedInTheirTopRows) {
    constexpr int kTall = 3100;
    SyntheticFrames frames(400, kTall);
    frames.Change({50, 10, 390, kTall});
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(rows.forwardRows, kMaxScanRows);
    EXPECT_EQ(rows.reverseRows, kMaxScanRows);
    EXPECT_EQ(s.forward.pixelsWalked, int64_t{400} * kMaxScanRows);
    EXPECT_EQ(s.forward.diffCount, int64_t{340} * (kMaxScanRows - 10));
    EXPECT_EQ(s.forward.topY, 11);
    // The lowest row searched is 3,000 rows from the top.
    EXPECT_EQ(s.forward.bottomY, kMaxScanRows);
    EXPECT_EQ(rows.leftCol[1], 50);
    EXPECT_EQ(rows.rightEdge[kMaxScanRows], 390);
    EXPECT_EQ(s.rect.left.votes, kMaxScanRows - 10);
}

TEST(MotionVote, TheFirstRowWithTheMostLaterAgreementsWins) {
    // Left edges: 300 rows at 100, then 200 rows at 150; the first row of
    // the first group has the most votes.
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({150, 50, 700, 250});
    frames.Change({100, 250, 700, 550});
    ScanRows rows;
    Scanned s = Scan(frames, rows);
    EXPECT_EQ(s.rect.left.votes, 300);
    EXPECT_EQ(s.rect.left.value, 100);
    EXPECT_EQ(s.rect.left.row, ForwardRow(549));

    // A tie: the group scanned first wins (the bottom one).
    SyntheticFrames tie(kWidth, kHeight);
    tie.Change({150, 50, 700, 250});
    tie.Change({100, 250, 700, 450});
    s = Scan(tie, rows);
    EXPECT_EQ(s.rect.left.votes, 200);
    EXPECT_EQ(s.rect.left.value, 100);

    // Spans of 100 or less do not vote, but count as later rows: ten wide
    // rows scanned before 200 narrow ones get 210 votes, after them 10.
    SyntheticFrames narrowLater(kWidth, kHeight);
    narrowLater.Change({100, 100, 200, 300});  // 100 wide
    narrowLater.Change({100, 300, 700, 310});
    s = Scan(narrowLater, rows);
    EXPECT_EQ(s.rect.left.votes, 210);
    EXPECT_EQ(s.rect.left.row, ForwardRow(309));
    SyntheticFrames narrowFirst(kWidth, kHeight);
    narrowFirst.Change({100, 100, 700, 110});
    narrowFirst.Change({100, 110, 200, 300});
    s = Scan(narrowFirst, rows);
    EXPECT_EQ(s.rect.left.votes, 10);
    EXPECT_EQ(s.rect.left.row, ForwardRow(109));
}

struct AcceptCase {
    const char* name;
    ScreenRect video;
    int pass;
    bool accepted;
};

class Acceptance : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(Acceptance, RectangleRule) {
    const AcceptCase& c = GetParam();
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change(c.video);
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(AcceptRect(c.pass, s.rect), c.accepted)
        << "width " << s.rect.Width() << " height " << s.rect.Height() << " votes " << s.rect.left.votes;
}

INSTANTIATE_TEST_SUITE_P(Rects, Acceptance,
                         ::testing::Values(AcceptCase{"video_first_attempt", {100, 80, 740, 440}, 0, false},
                                           AcceptCase{"video_second_attempt", {100, 80, 740, 440}, 1, true},
                                           AcceptCase{"video_tenth_attempt", {100, 80, 740, 440}, 10, true},
                                           AcceptCase{"width_250", {100, 80, 350, 440}, 1, false},
                                           AcceptCase{"width_301_after_edges", {100, 80, 405, 440}, 1, true},
                                           AcceptCase{"width_300_after_edges", {100, 80, 404, 440}, 1, false},
                                           AcceptCase{"tall", {100, 20, 420, 560}, 1, false},
                                           AcceptCase{"height_is_width_plus_100", {100, 20, 500, 517}, 1, true},
                                           AcceptCase{"height_is_width_plus_101", {100, 20, 500, 518}, 1, false},
                                           AcceptCase{"height_100", {100, 80, 740, 181}, 1, false},
                                           AcceptCase{"height_101", {100, 80, 740, 182}, 1, true}),
                         [](const ::testing::TestParamInfo<AcceptCase>& info) { return std::string(info.param.name); });

TEST(MotionVote, TooFewRowsAgreeingOnTheLeftEdgeIsRejected) {
    // A slanted left edge: every four rows start one column further right,
    // so no more than four rows agree.
    SyntheticFrames frames(kWidth, kHeight);
    for (int y = 100; y < 400; ++y) frames.Change({100 + (y - 100) / 4, y, 800, y + 1});
    ScanRows rows;
    const Scanned s = Scan(frames, rows);
    EXPECT_EQ(s.rect.left.votes, 4);
    EXPECT_GE(s.rect.Width(), 301);
    EXPECT_GE(s.rect.Height(), 101);
    EXPECT_FALSE(AcceptRect(1, s.rect));

    // Below it, 51 rows on one left edge are enough; 50 are not.
    for (int agreeing : {51, 50}) {
        SCOPED_TRACE(agreeing);
        SyntheticFrames more = frames;
        more.Change({300, 400, 800, 400 + agreeing});
        const Scanned m = Scan(more, rows);
        EXPECT_EQ(m.rect.left.votes, agreeing);
        EXPECT_EQ(m.rect.xLeft, 302);
        EXPECT_EQ(AcceptRect(1, m.rect), agreeing == 51);
    }
}

// Sets the cancel flag at the n-th event of a scan.
class CancelAt : public ScanObserver {
public:
    CancelAt(std::atomic<bool>& cancel, int spans, int edges) : m_cancel(cancel), m_spans(spans), m_edges(edges) {}
    void SpanOpened(int) override {
        if (--m_spans == 0) m_cancel = true;
    }
    void ForwardRowEnded(int, int) override { ++forwardRowsEnded; }
    void EdgeRecorded(int) override {
        if (--m_edges == 0) m_cancel = true;
    }
    void ReverseRowEnded(int, int) override { ++reverseRowsEnded; }
    int forwardRowsEnded = 0;
    int reverseRowsEnded = 0;

private:
    std::atomic<bool>& m_cancel;
    int m_spans;
    int m_edges;
};

TEST(MotionScan, CancelStopsTheForwardScanAtTheNextPixel) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({100, 80, 740, 440});
    ScanRows rows;
    std::atomic<bool> cancel{false};
    CancelAt observer(cancel, 2, 0);
    const ForwardScanResult r = ForwardScan(frames.Pair(), rows, cancel, &observer);
    EXPECT_TRUE(r.cancelled);
    // The video's second row from the bottom opened at column 120: that
    // pixel was the last one walked.
    const int rowsBefore = ForwardRow(438) - 1;
    EXPECT_EQ(r.pixelsWalked, int64_t{rowsBefore} * kWidth + 121);
    EXPECT_EQ(r.diffCount, 640 + 21);
    EXPECT_EQ(rows.forwardRows, rowsBefore);
    EXPECT_EQ(observer.forwardRowsEnded, rowsBefore);
    EXPECT_EQ(rows.rightCol[ForwardRow(438)], 0);
    EXPECT_EQ(rows.leftCol[ForwardRow(437)], 0);
    EXPECT_EQ(r.topY, 600 - (599 - 438));

    // Set before the scan: not one pixel.
    const ForwardScanResult none = ForwardScan(frames.Pair(), rows, cancel);
    EXPECT_TRUE(none.cancelled);
    EXPECT_EQ(none.pixelsWalked, 0);
    EXPECT_EQ(none.diffCount, 0);
}

TEST(MotionScan, CancelStopsTheReverseScanAtTheNextPixel) {
    SyntheticFrames frames(kWidth, kHeight);
    frames.Change({100, 80, 740, 440});
    ScanRows rows;
    std::atomic<bool> cancel{false};
    CancelAt observer(cancel, 0, 3);
    const ReverseScanResult r = ReverseScan(frames.Pair(), kMenuHeight, rows, cancel, &observer);
    EXPECT_TRUE(r.cancelled);
    // The third edge is the video's row 82; nothing of it remained to walk.
    EXPECT_EQ(rows.reverseRows, ReverseRow(82));
    EXPECT_EQ(r.pixelsWalked, int64_t{ReverseRow(82)} * kWidth);
    EXPECT_EQ(rows.rightEdge[ReverseRow(82)], 740);
    EXPECT_EQ(rows.rightEdge[ReverseRow(83)], 0);
    EXPECT_EQ(observer.reverseRowsEnded, ReverseRow(82));
}

}  // namespace
