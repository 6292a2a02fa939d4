#include "region/MotionVote.h"

#include <vector>

namespace {

template <class MayVote>
RowVote Vote(const std::vector<int>& values, int count, std::vector<int>& votes, MayVote mayVote) {
    RowVote best;
    for (int j = 1; j <= count; ++j) {
        votes[j] = 0;
        if (!mayVote(j)) continue;
        int vote = 1;
        for (int k = j + 1; k <= count; ++k)
            if (values[k] == values[j]) ++vote;
        votes[j] = vote;
        if (vote > best.votes) best = RowVote{vote, j, values[j]};
    }
    return best;
}

bool SpanMayVote(const ScanRows& rows, int j) { return rows.leftCol[j] != 0 && rows.spanWidth[j] > 100; }

}  // namespace

RowVote LeftVote(ScanRows& rows) {
    return Vote(rows.leftCol, rows.forwardRows, rows.votes, [&](int j) { return SpanMayVote(rows, j); });
}

RowVote RightVote(ScanRows& rows) {
    return Vote(rows.rightEdge, rows.reverseRows, rows.votes, [&](int j) { return rows.rightEdge[j] != 0; });
}

RowVote SpanEndVote(ScanRows& rows) {
    return Vote(rows.rightCol, rows.forwardRows, rows.votes, [&](int j) { return SpanMayVote(rows, j); });
}

MotionRect VoteRect(ScanRows& rows, int topY, int bottomY, int edgeX) {
    MotionRect rect;
    rect.left = LeftVote(rows);
    rect.right = RightVote(rows);
    rect.spanEnd = SpanEndVote(rows);
    rect.xLeft = rect.left.value + edgeX;
    rect.xRight = rect.right.value - edgeX;
    rect.topY = topY;
    rect.bottomY = bottomY;
    return rect;
}

bool AcceptRect(int pass, const MotionRect& rect) {
    const int width = rect.Width();
    const int height = rect.Height();
    return pass >= 1 && width >= 301 && height >= 101 && height <= width + 100 && rect.left.votes >= 51;
}
