#pragma once
// The tracking state that the tracking thread and the GUI thread share: the
// last titles of the three Skype window kinds, the tracked window and its
// title, and the title of the window the user last clicked. One lock guards
// all of it: every read copies a whole buffer out under the lock and every
// write copies a whole (bounded) text in under it, so no reader ever sees a
// title half-written. Nothing else is done while the lock is held.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "app/tracking/TrackingRules.h"

inline constexpr std::size_t kSkypeTitleCapacity = 1000;    // characters with the terminating zero
inline constexpr std::size_t kTrackedTitleCapacity = 8192;  // characters with the terminating zero
inline constexpr std::size_t kClickedTitleCapacity = 1000;

class TrackingTitles {
public:
    // Enumeration step 5: at most 999 characters of the title.
    void Learn(TitleSlot slot, std::wstring_view title);
    SkypeTitles Titles() const;

    // Tracking step 4: the chosen window and at most 8191 characters of its title.
    void Track(WindowId window, std::wstring_view title);
    WindowId TrackedWindow() const;
    // Tracking step 1: no window is tracked; the title stays for the status line.
    void ClearTrackedWindow();
    std::wstring TrackedTitle() const;
    // Forgets the tracked window, its title and the last clicked title, but
    // only while `window` is still the tracked one (the GUI thread may have
    // chosen another since the caller looked).
    void ForgetTracked(WindowId window);

    std::wstring LastClickedTitle() const;
    // The tracking thread's end clears the marking state.
    void ForgetLastClicked();

private:
    mutable std::mutex m_lock;
    wchar_t m_conversation[kSkypeTitleCapacity] = {};
    wchar_t m_mainForm[kSkypeTitleCapacity] = {};
    wchar_t m_callMonitor[kSkypeTitleCapacity] = {};
    WindowId m_trackedWindow = 0;
    wchar_t m_trackedTitle[kTrackedTitleCapacity] = {};
    wchar_t m_lastClicked[kClickedTitleCapacity] = {};
};

// One window of the enumeration, front to back: learns its title when it is
// the first shown Skype window, and forgets a tracked window that was hidden
// or minimised meanwhile. `trackedShown` tells whether a window is still
// visible and not minimised. Returns false to end the enumeration.
bool LearnFromWindow(const WindowFacts& window, bool recording, TrackingTitles& titles, bool (*trackedShown)(WindowId));
