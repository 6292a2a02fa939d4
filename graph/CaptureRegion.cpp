#include "graph/CaptureRegion.h"

#include <climits>
#include <cstdlib>

namespace {

// The settings file may hold any int; spans and ends are worked out in 64
// bits and kept within int, so no value from the file can overflow here.
int Span(int from, int to) {
    const long long span = std::llabs(static_cast<long long>(to) - from);
    return span > INT_MAX ? INT_MAX : static_cast<int>(span);
}

int EndOf(int start, int size) {
    const long long end = static_cast<long long>(start) + size;
    return end > INT_MAX ? INT_MAX : static_cast<int>(end);
}

}  // namespace

int RoundDownToMultipleOf8(int span) { return span - span % 8; }

CaptureSize NormaliseCaptureRegion(SettingsRecord& s) {
    // The screen-capture filter treats 0 as "no coordinate", so a region
    // that starts there moves by one pixel and keeps its size.
    if (s.xTop == 0 && s.xBottom > 0) {
        s.xTop = -1;
        s.xBottom -= 1;
    }
    if (s.xTop == 0 && s.xBottom < 0) {
        s.xTop = 1;
        s.xBottom += 1;
    }
    if (s.yTop == 0) {
        s.yTop = -1;
        if (s.yBottom > INT_MIN) s.yBottom -= 1;
    }
    CaptureSize size;
    size.width = RoundDownToMultipleOf8(Span(s.xTop, s.xBottom));
    size.height = RoundDownToMultipleOf8(Span(s.yTop, s.yBottom));
    s.xBottom = EndOf(s.xTop, size.width);
    s.yBottom = EndOf(s.yTop, size.height);
    return size;
}
