#pragma once
// How a background capture reads its window, chosen per window while it
// records. The window's own DC (a BitBlt) comes first. A window drawn by the
// GPU through composition has no GDI surface: its DC gives black, or one
// frame forever. When the DC's frames stay uniformly black or unchanged for
// a second while the window is shown, not minimised and not covered where it
// is captured, PrintWindow is tried; when it gives a picture it is kept for
// that window. A PrintWindow frame that comes out black is never delivered:
// the DC is read for that frame instead and the choice goes back to it.
// Portable.

#include <cstdint>

namespace pixark {

enum class WindowGrab { WindowDc, PrintWindow };

class WindowGrabChoice {
public:
    // How long the DC's frames must stay blank before PrintWindow is tried.
    static constexpr int64_t kBlankMs = 1000;

    // A new window (or a new session): the DC first, nothing seen yet.
    void Reset();
    WindowGrab Way() const { return m_way; }

    // A frame read through the DC at nowMs: blank (uniformly black or the
    // same as the one before) and whether the window could be seen then.
    void DcFrame(bool blank, bool seen, int64_t nowMs);
    // A frame read through PrintWindow: whether it gave a picture.
    void PrintFrame(bool picture, int64_t nowMs);
    // True once per window, the first time PrintWindow gave a picture: the
    // moment to write the choice in the log.
    bool TakeSwitchNotice();

private:
    WindowGrab m_way = WindowGrab::WindowDc;
    bool m_blank = false;
    int64_t m_blankSince = 0;
    bool m_kept = false;
    bool m_noticed = false;
};

}  // namespace pixark
