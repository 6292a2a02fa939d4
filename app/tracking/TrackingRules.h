#pragma once
// The rules of following the Skype call window, without the system: which
// windows the enumeration learns titles from, which of the found windows is
// tracked, the idle status line, the monitor flip and the placement fixes.
// Window facts come in (class, title, visible, minimised, rectangle); a
// choice or a text goes out. Tracking.cpp feeds them from Win32.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/services/Geometry.h"

// A top-level window as the system names it; 0 for none.
using WindowId = std::uintptr_t;

struct WindowFacts {
    WindowId id = 0;
    std::wstring className;
    std::wstring title;
    bool visible = false;
    bool minimised = false;
    ScreenRect rect;  // outer frame, screen coordinates
};

// Skype's window classes and titles.
inline constexpr wchar_t kLiveClass[] = L"TLiveConversationWindow";
inline constexpr wchar_t kLiveTitle[] = L"LiveConversationWindow";
inline constexpr wchar_t kConversationClass[] = L"TConversationForm";
inline constexpr wchar_t kMainFormClass[] = L"tSkMainForm";
inline constexpr wchar_t kCallMonitorClass[] = L"TCallMonitorForm";
inline constexpr wchar_t kPreviewClass[] = L"ApplicationFrameWindow";
inline constexpr wchar_t kPreviewTitle[] = L"Skype Preview";

// The title buffers the enumeration fills.
enum class TitleSlot { None, Conversation, MainForm, CallMonitor };

// Enumeration step 1: windows narrower or lower than 10 pixels and windows
// parked far off the screens are not looked at.
bool SkippedByPlacement(const ScreenRect& rect);

// Enumeration step 4: the buffer a window's title goes to, by its class (and,
// for the newer app's frame, its title); None for any other window.
TitleSlot TitleSlotFor(std::wstring_view className, std::wstring_view title);

// The titles the enumeration learnt, as the tick reads them.
struct SkypeTitles {
    std::wstring conversation;
    std::wstring mainForm;
    std::wstring callMonitor;
};

// The four windows of one tracking step; each is empty when it was not
// found or is not visible.
struct SkypeWindows {
    std::optional<WindowFacts> live;
    std::optional<WindowFacts> conversation;
    std::optional<WindowFacts> mainForm;
    std::optional<WindowFacts> callMonitor;

    bool None() const { return !live && !conversation && !mainForm && !callMonitor; }
};

// The system's lookup by class and title: the first top-level window front
// to back whose class and title both match, visible or not.
class WindowFinder {
public:
    virtual ~WindowFinder() = default;
    virtual std::optional<WindowFacts> Find(std::wstring_view className, std::wstring_view title) = 0;
};

// Tracking step 2: the live call window, the conversation window (or the
// newer app's "Skype Preview" frame), the main window and the call monitor.
SkypeWindows FindSkypeWindows(WindowFinder& finder, const SkypeTitles& titles);

// Tracking step 3: the window to track, or null. The full-screen call
// window wins whatever "AutoMark"; 1 takes the conversation window, then the
// main window, neither when minimised; any other value takes the call
// monitor, minimised or not.
const WindowFacts* ChooseTrackedWindow(const SkypeWindows& windows, int autoMark);

// 1 while a window is tracked, it is not minimised and "HideWindow" is on.
int BackgroundActiveFor(const WindowFacts* tracked, int hideWindow);

// The idle status line after a tracking step; nothing when it stays as it is.
inline constexpr std::size_t kStatusCapacity = 4096;
std::optional<std::wstring> IdleStatusText(const SkypeWindows& windows, int autoMark, std::wstring_view trackedTitle,
                                           int backgroundActive);

// Display 2's scale relative to display 1's in integer percent, for
// background mode on display 2; 100 otherwise. A display-1 scale of 0 counts
// as 100, and a result of 0 becomes 100.
int RelativeScaleFor(int backgroundActive, int monitor, int scale1, double scale2);

// The monitor flip of a tracked window with more than one display.
struct MonitorFlip {
    bool onDisplays = false;  // the window meets display 1 or display 2's work area
    int monitor = 0;          // "Monitor" afterwards
    bool restartPreview = false;
};
MonitorFlip FlipMonitor(const ScreenRect& window, int monitor, const ScreenRect& display1,
                        const ScreenRect& display2Work);

// Whether two rectangles share at least one pixel.
bool Intersects(const ScreenRect& a, const ScreenRect& b);

// The tracked window's rectangle before a motion search: a window that
// reaches left of its display (display 2 unless "Monitor" is 1, where the
// limit is 0) is moved right and narrowed on both sides; height unchanged.
ScreenRect FitOnDisplay(const ScreenRect& window, int monitor, const ScreenRect& display1, const ScreenRect& display2);
