#include "app/tracking/TrackingTitles.h"

#include "settings/SettingsText.h"

namespace {

std::wstring Copy(const wchar_t* buffer, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && buffer[n] != L'\0') ++n;
    return std::wstring(buffer, n);
}

}  // namespace

void TrackingTitles::Learn(TitleSlot slot, std::wstring_view title) {
    std::lock_guard<std::mutex> lock(m_lock);
    switch (slot) {
        case TitleSlot::Conversation:
            CopyText(m_conversation, title);
            break;
        case TitleSlot::MainForm:
            CopyText(m_mainForm, title);
            break;
        case TitleSlot::CallMonitor:
            CopyText(m_callMonitor, title);
            break;
        case TitleSlot::None:
            break;
    }
}

SkypeTitles TrackingTitles::Titles() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return SkypeTitles{Copy(m_conversation, kSkypeTitleCapacity), Copy(m_mainForm, kSkypeTitleCapacity),
                       Copy(m_callMonitor, kSkypeTitleCapacity)};
}

void TrackingTitles::Track(WindowId window, std::wstring_view title) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_trackedWindow = window;
    CopyText(m_trackedTitle, title);
}

WindowId TrackingTitles::TrackedWindow() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_trackedWindow;
}

void TrackingTitles::ClearTrackedWindow() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_trackedWindow = 0;
}

std::wstring TrackingTitles::TrackedTitle() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return Copy(m_trackedTitle, kTrackedTitleCapacity);
}

void TrackingTitles::ForgetTracked(WindowId window) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (window == 0 || m_trackedWindow != window) return;
    m_trackedWindow = 0;
    m_trackedTitle[0] = L'\0';
    m_lastClicked[0] = L'\0';
}

std::wstring TrackingTitles::LastClickedTitle() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return Copy(m_lastClicked, kClickedTitleCapacity);
}

void TrackingTitles::ForgetLastClicked() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_lastClicked[0] = L'\0';
}

bool LearnFromWindow(const WindowFacts& window, bool recording, TrackingTitles& titles,
                     bool (*trackedShown)(WindowId)) {
    if (SkippedByPlacement(window.rect)) return true;
    if (!recording) {
        const WindowId tracked = titles.TrackedWindow();
        if (tracked != 0 && !trackedShown(tracked)) titles.ForgetTracked(tracked);
    }
    if (recording || !window.visible || window.title.empty()) return true;
    const TitleSlot slot = TitleSlotFor(window.className, window.title);
    if (slot == TitleSlot::None) return true;
    titles.Learn(slot, window.title);
    return false;
}
