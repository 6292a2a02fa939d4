#include "companions/pixark/WindowGrabChoice.h"

namespace pixark {

void WindowGrabChoice::Reset() { *this = WindowGrabChoice(); }

void WindowGrabChoice::DcFrame(bool blank, bool seen, int64_t nowMs) {
    if (!blank || !seen) {
        m_blank = false;
        return;
    }
    if (!m_blank) {
        m_blank = true;
        m_blankSince = nowMs;
    }
    if (nowMs - m_blankSince >= kBlankMs) m_way = WindowGrab::PrintWindow;
}

void WindowGrabChoice::PrintFrame(bool picture, int64_t nowMs) {
    if (picture) {
        m_kept = true;
        return;
    }
    // Back to the DC; another second of blank frames before the next try.
    m_way = WindowGrab::WindowDc;
    m_blank = true;
    m_blankSince = nowMs;
}

bool WindowGrabChoice::TakeSwitchNotice() {
    if (!m_kept || m_noticed) return false;
    m_noticed = true;
    return true;
}

}  // namespace pixark
