#include "graph/RecorderLayering.h"

void RefreshLayeredStyle(HWND recorder) {
    if (!recorder) return;
    const LONG_PTR style = ::GetWindowLongPtrW(recorder, GWL_EXSTYLE);
    ::SetWindowLongPtrW(recorder, GWL_EXSTYLE, style | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    ::SetLayeredWindowAttributes(recorder, 0, 255, LWA_ALPHA);
    ::SetWindowLongPtrW(recorder, GWL_EXSTYLE, (style | WS_EX_LAYERED) & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
}
