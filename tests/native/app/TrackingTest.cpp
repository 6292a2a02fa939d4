// Following the Skype window without the system: the choice among made-up
// window lists, the idle status texts, the enumeration's title learning and
// its bounds, the tick's duties through a scripted system, and the tracking
// thread's life.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/tracking/TrackingRules.h"
#include "app/tracking/TrackingTicker.h"
#include "app/tracking/TrackingTitles.h"
#include "app/tracking/TrackingWorker.h"

namespace {

using namespace std::chrono_literals;

WindowFacts Window(WindowId id, const wchar_t* cls, const wchar_t* title, bool minimised = false, bool visible = true,
                   ScreenRect rect = {100, 100, 520, 350}) {
    WindowFacts w;
    w.id = id;
    w.className = cls;
    w.title = title;
    w.visible = visible;
    w.minimised = minimised;
    w.rect = rect;
    return w;
}

// The system's top-level windows front to back; the lookup takes the first
// whose class and title match, as FindWindow does.
class ListFinder : public WindowFinder {
public:
    std::vector<WindowFacts> windows;
    std::optional<WindowFacts> Find(std::wstring_view cls, std::wstring_view title) override {
        for (const WindowFacts& w : windows)
            if (w.className == cls && w.title == title) return w;
        return std::nullopt;
    }
};

const SkypeTitles kBobTitles{L"Bob", L"Skype - bob.main", L"Bob - call"};

struct ChoiceCase {
    const char* name;
    std::vector<WindowFacts> windows;
    int autoMark;
    WindowId chosen;       // 0: none
    int backgroundActive;  // with "HideWindow" 1
};

TEST(TrackingChoice, PicksTheWindowByTheRules) {
    const WindowFacts live = Window(1, kLiveClass, kLiveTitle);
    const WindowFacts conversation = Window(2, kConversationClass, L"Bob");
    const WindowFacts mainForm = Window(3, kMainFormClass, L"Skype - bob.main");
    const WindowFacts monitor = Window(4, kCallMonitorClass, L"Bob - call");
    const WindowFacts preview = Window(5, kPreviewClass, kPreviewTitle);
    auto minimised = [](WindowFacts w) {
        w.minimised = true;
        return w;
    };
    auto hidden = [](WindowFacts w) {
        w.visible = false;
        return w;
    };
    const ChoiceCase cases[] = {
        {"full screen wins with 1", {conversation, live, mainForm}, 1, 1, 1},
        {"full screen wins with 2", {monitor, live}, 2, 1, 1},
        {"full screen wins with 0", {conversation, live}, 0, 1, 1},
        {"minimised full screen gives way", {minimised(live), conversation}, 1, 2, 1},
        {"1 prefers the conversation", {mainForm, conversation, monitor}, 1, 2, 1},
        {"1 takes the main window next", {minimised(conversation), mainForm}, 1, 3, 1},
        {"1 takes nothing minimised", {minimised(conversation), minimised(mainForm), monitor}, 1, 0, 0},
        {"1 ignores the call monitor", {monitor}, 1, 0, 0},
        {"2 takes the call monitor", {conversation, mainForm, monitor}, 2, 4, 1},
        {"2 takes it minimised", {conversation, minimised(monitor)}, 2, 4, 0},
        {"2 takes nothing else", {conversation, mainForm}, 2, 0, 0},
        {"hidden counts as not found", {hidden(conversation), mainForm}, 1, 3, 1},
        {"newer app's frame as conversation", {preview, mainForm}, 1, 5, 1},
        {"stale title finds nothing", {Window(6, kConversationClass, L"Alice")}, 1, 0, 0},
        {"nothing at all", {}, 1, 0, 0},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListFinder finder;
        finder.windows = c.windows;
        const SkypeWindows found = FindSkypeWindows(finder, kBobTitles);
        const WindowFacts* chosen = ChooseTrackedWindow(found, c.autoMark);
        EXPECT_EQ(chosen ? chosen->id : 0, c.chosen);
        EXPECT_EQ(BackgroundActiveFor(chosen, 1), c.backgroundActive);
        EXPECT_EQ(BackgroundActiveFor(chosen, 0), 0);
    }
}

TEST(TrackingChoice, ConversationFormBeatsTheNewerFrame) {
    ListFinder finder;
    finder.windows = {Window(5, kPreviewClass, kPreviewTitle), Window(2, kConversationClass, L"Bob")};
    EXPECT_EQ(FindSkypeWindows(finder, kBobTitles).conversation->id, 2u);
}

struct StatusCase {
    const char* name;
    bool live, conversation, mainForm, callMonitor;
    int autoMark;
    const wchar_t* trackedTitle;
    int backgroundActive;
    const wchar_t* expected;  // null: unchanged
};

TEST(TrackingStatus, IdleTexts) {
    const StatusCase cases[] = {
        {"none found", false, false, false, false, 1, L"Bob", 0, L"No Skype window detected"},
        {"none found, marked region", false, false, false, false, 0, L"", 0, L"No Skype window detected"},
        {"only the call monitor", false, false, false, true, 1, L"Bob", 1, L"Skype main window not detected"},
        {"only the call monitor with 2", false, false, false, true, 2, L"", 0, L"Skype main window not detected"},
        {"no call monitor, marked region", false, true, false, false, 0, L"Bob", 0, L"Skype small window not detected"},
        {"main window, marked region", false, false, true, false, 0, L"", 0, L"Skype small window not detected"},
        {"tracked", false, true, false, false, 1, L"Bob", 0, L"Bob (0)"},
        {"tracked in background", false, true, false, true, 2, L"Bob - call", 1, L"Bob - call (1)"},
        {"full screen", true, false, false, false, 1, L"LiveConversationWindow", 1, L"Full screen Skype window (1)"},
        {"marked region with both", false, true, false, true, 0, L"Bob", 0, L"Bob (0)"},
        {"empty title", false, true, false, false, 1, L"", 0, nullptr},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        SkypeWindows found;
        if (c.live) found.live = Window(1, kLiveClass, kLiveTitle);
        if (c.conversation) found.conversation = Window(2, kConversationClass, L"Bob");
        if (c.mainForm) found.mainForm = Window(3, kMainFormClass, L"Skype");
        if (c.callMonitor) found.callMonitor = Window(4, kCallMonitorClass, L"Bob - call");
        const std::optional<std::wstring> text = IdleStatusText(found, c.autoMark, c.trackedTitle, c.backgroundActive);
        if (c.expected)
            EXPECT_EQ(text.value_or(L"(unchanged)"), c.expected);
        else
            EXPECT_FALSE(text.has_value());
    }
}

TEST(TrackingEnumeration, SkipsTinyAndFarAwayWindows) {
    const std::pair<ScreenRect, bool> cases[] = {
        {{0, 0, 10, 10}, false},
        {{0, 0, 9, 100}, true},
        {{0, 0, 100, 9}, true},
        {{-10000, 0, -9000, 100}, false},
        {{-10001, 0, -9000, 100}, true},
        {{0, -10001, 100, -9000}, true},
        {{10000, 0, 10100, 100}, false},
        {{10001, 0, 10100, 100}, true},
        {{0, 10000, 100, 10100}, false},
        {{0, 10001, 100, 10100}, true},
        {{-32000, -32000, -31840, -31973}, true},
    };
    for (const auto& [rect, skipped] : cases) {
        SCOPED_TRACE(std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
                     "," + std::to_string(rect.bottom));
        EXPECT_EQ(SkippedByPlacement(rect), skipped);
    }
}

TEST(TrackingEnumeration, TitleGoesByClass) {
    EXPECT_EQ(TitleSlotFor(kConversationClass, L"Bob"), TitleSlot::Conversation);
    EXPECT_EQ(TitleSlotFor(kPreviewClass, kPreviewTitle), TitleSlot::Conversation);
    EXPECT_EQ(TitleSlotFor(kPreviewClass, L"Mail"), TitleSlot::None);
    EXPECT_EQ(TitleSlotFor(kMainFormClass, L"Skype"), TitleSlot::MainForm);
    EXPECT_EQ(TitleSlotFor(kCallMonitorClass, L"Bob"), TitleSlot::CallMonitor);
    EXPECT_EQ(TitleSlotFor(kLiveClass, kLiveTitle), TitleSlot::None);
    EXPECT_EQ(TitleSlotFor(L"Notepad", L"Bob"), TitleSlot::None);
}

bool Shown(WindowId) { return true; }
bool Gone(WindowId) { return false; }

// One pass over the windows, front to back, as the thread makes it.
void Pass(const std::vector<WindowFacts>& windows, bool recording, TrackingTitles& titles,
          bool (*trackedShown)(WindowId) = &Shown) {
    for (const WindowFacts& w : windows)
        if (!LearnFromWindow(w, recording, titles, trackedShown)) break;
}

TEST(TrackingEnumeration, LearnsOnlyTheFrontSkypeWindowPerPass) {
    TrackingTitles titles;
    const std::vector<WindowFacts> windows = {
        Window(9, L"Notepad", L"notes"),
        Window(8, kConversationClass, L"tiny", false, true, {0, 0, 5, 5}),
        Window(7, kConversationClass, L"hidden", false, false),
        Window(6, kConversationClass, L""),
        Window(2, kMainFormClass, L"Skype - bob.main"),
        Window(3, kConversationClass, L"Bob"),
    };
    Pass(windows, false, titles);
    EXPECT_EQ(titles.Titles().mainForm, L"Skype - bob.main");
    EXPECT_EQ(titles.Titles().conversation, L"");
    // The next pass sees the conversation in front.
    Pass({Window(3, kConversationClass, L"Bob"), Window(2, kMainFormClass, L"other")}, false, titles);
    EXPECT_EQ(titles.Titles().conversation, L"Bob");
    EXPECT_EQ(titles.Titles().mainForm, L"Skype - bob.main");
    // A minimised window is still learnt: it is visible.
    Pass({Window(4, kCallMonitorClass, L"Bob - call", true)}, false, titles);
    EXPECT_EQ(titles.Titles().callMonitor, L"Bob - call");
}

TEST(TrackingEnumeration, RecordingFreezesEverything) {
    TrackingTitles titles;
    titles.Track(3, L"Bob");
    Pass({Window(3, kConversationClass, L"Bob renamed")}, true, titles, &Gone);
    EXPECT_EQ(titles.Titles().conversation, L"");
    EXPECT_EQ(titles.TrackedWindow(), 3u);
    EXPECT_EQ(titles.TrackedTitle(), L"Bob");
}

TEST(TrackingEnumeration, ForgetsATrackedWindowThatWentAway) {
    TrackingTitles titles;
    titles.Track(3, L"Bob");
    Pass({Window(9, L"Notepad", L"notes")}, false, titles, &Shown);
    EXPECT_EQ(titles.TrackedTitle(), L"Bob");
    Pass({Window(9, L"Notepad", L"notes")}, false, titles, &Gone);
    EXPECT_EQ(titles.TrackedWindow(), 0u);
    EXPECT_EQ(titles.TrackedTitle(), L"");
    // Only the window it looked at: another one chosen since stays.
    titles.Track(4, L"Alice");
    titles.ForgetTracked(3);
    EXPECT_EQ(titles.TrackedTitle(), L"Alice");
}

TEST(TrackingBounds, LongTitlesAreCutAtEveryBuffer) {
    const std::wstring huge(10000, L'x');
    TrackingTitles titles;
    Pass({Window(1, kConversationClass, huge.c_str())}, false, titles);
    Pass({Window(2, kMainFormClass, huge.c_str())}, false, titles);
    Pass({Window(3, kCallMonitorClass, huge.c_str())}, false, titles);
    const SkypeTitles learnt = titles.Titles();
    EXPECT_EQ(learnt.conversation, huge.substr(0, 999));
    EXPECT_EQ(learnt.mainForm, huge.substr(0, 999));
    EXPECT_EQ(learnt.callMonitor, huge.substr(0, 999));
    titles.Track(1, huge);
    EXPECT_EQ(titles.TrackedTitle(), huge.substr(0, kTrackedTitleCapacity - 1));

    SkypeWindows found;
    found.conversation = Window(1, kConversationClass, L"x");
    const std::wstring status = IdleStatusText(found, 1, titles.TrackedTitle(), 1).value();
    EXPECT_EQ(status.size(), kStatusCapacity - 1);
    EXPECT_EQ(status.substr(status.size() - 4), L" (1)");
}

// A scripted system: the windows, and a log of what the tick asked for.
class FakeSystem : public TrackingSystem {
public:
    std::vector<WindowFacts> windows;
    std::vector<std::string> log;
    bool recorderExists = true;
    bool previewExists = false;
    std::wstring status;

    WindowFacts& Get(WindowId id) {
        for (WindowFacts& w : windows)
            if (w.id == id) return w;
        throw std::runtime_error("no such window");
    }
    int Count(const std::string& what) const {
        int n = 0;
        for (const std::string& entry : log) n += entry == what;
        return n;
    }

    std::optional<WindowFacts> Find(std::wstring_view cls, std::wstring_view title) override {
        for (const WindowFacts& w : windows)
            if (w.className == cls && w.title == title) return w;
        return std::nullopt;
    }
    std::optional<WindowFacts> Facts(WindowId id) override {
        for (const WindowFacts& w : windows)
            if (w.id == id) return w;
        return std::nullopt;
    }
    void RefreshDisplays() override {}
    void StopTimer() override { log.push_back("timer stop"); }
    void StartTimer() override { log.push_back("timer start"); }
    void RestartPreview() override { log.push_back("preview"); }
    bool RecorderExists() override { return recorderExists; }
    bool PreviewCaptureExists() override { return previewExists; }
    void WriteSettings() override { log.push_back("write"); }
    void ReadSettings() override { log.push_back("read"); }
    void Beep(unsigned frequency, unsigned ms) override {
        log.push_back("beep " + std::to_string(frequency) + " " + std::to_string(ms));
    }
    std::wstring StatusText() override { return status; }
    void ShowStatus(const std::wstring& text) override {
        status = text;
        log.push_back("status");
    }
};

class TrackingTick : public ::testing::Test {
protected:
    TrackingTick() {
        settings.AutoMark = 1;
        settings.Monitor = 1;
        env.DisplayCount = 1;
        env.DesktopRect = env.Display1Rect = {0, 0, 1280, 1024};
        system.windows = {Window(2, kConversationClass, L"Bob")};
        titles.Learn(TitleSlot::Conversation, L"Bob");
    }
    void Tick(int times = 1, bool recording = false) {
        for (int i = 0; i < times; ++i) ticker.Tick(TrackingTickInputs{recording, 100, 100});
    }
    ScreenRect Region() const { return {settings.xTop, settings.yTop, settings.xBottom, settings.yBottom}; }

    FakeSystem system;
    TrackingTitles titles;
    SettingsRecord settings;
    Environment env;
    TrackingTicker ticker{system, titles, settings, env};
};

TEST_F(TrackingTick, FollowsTheWindowAndShowsItsTitle) {
    Tick();
    EXPECT_EQ(system.status, L"Bob (0)");
    EXPECT_EQ(titles.TrackedWindow(), 2u);
    EXPECT_EQ(titles.TrackedTitle(), L"Bob");
    EXPECT_EQ(Region(), (ScreenRect{100, 100, 520, 350}));
    EXPECT_EQ(ticker.LastTrackedRect(), (ScreenRect{100, 100, 520, 350}));
    EXPECT_EQ(system.Count("write"), 1);
    EXPECT_EQ(system.Count("preview"), 1);

    // One pixel to the right: the region follows at the next tick, once.
    system.log.clear();
    system.Get(2).rect = {101, 100, 521, 350};
    Tick();
    EXPECT_EQ(Region(), (ScreenRect{101, 100, 521, 350}));
    EXPECT_EQ(system.log, (std::vector<std::string>{"write", "preview"}));

    // Left still: nothing over ten ticks.
    system.log.clear();
    Tick(10);
    EXPECT_TRUE(system.log.empty());
}

TEST_F(TrackingTick, MinimisedKeepsTheLastTitle) {
    settings.HideWindow = 1;
    Tick();
    EXPECT_EQ(system.status, L"Bob (1)");
    EXPECT_EQ(ticker.BackgroundActive(), 1);
    system.Get(2).minimised = true;
    system.log.clear();
    Tick();
    EXPECT_EQ(ticker.BackgroundActive(), 0);
    EXPECT_EQ(titles.TrackedWindow(), 0u);
    EXPECT_EQ(titles.TrackedTitle(), L"Bob");
    EXPECT_EQ(system.status, L"Bob (0)");
    EXPECT_EQ(system.Count("write"), 0);
}

TEST_F(TrackingTick, DetectionTexts) {
    system.windows.clear();
    Tick();
    EXPECT_EQ(system.status, L"No Skype window detected");
    system.windows = {Window(4, kCallMonitorClass, L"Bob - call")};
    titles.Learn(TitleSlot::CallMonitor, L"Bob - call");
    Tick();
    EXPECT_EQ(system.status, L"Skype main window not detected");
    // The call monitor alone reads so whatever the Skype mode; with a call
    // window beside it, the small window is tracked.
    settings.AutoMark = 2;
    Tick();
    EXPECT_EQ(system.status, L"Skype main window not detected");
    system.windows.push_back(Window(2, kConversationClass, L"Bob"));
    Tick();
    EXPECT_EQ(system.status, L"Bob - call (0)");
    EXPECT_EQ(titles.TrackedWindow(), 4u);
}

TEST_F(TrackingTick, MarkedRegionBeepsOnceAndRestartsOnce) {
    Tick();
    system.log.clear();
    settings.AutoMark = 0;
    Tick(5);
    EXPECT_EQ(system.log, (std::vector<std::string>{"beep 400 75", "preview", "status"}));
    EXPECT_EQ(ticker.BackgroundActive(), 0);
    // The handles of the last step stay: a call window and no call monitor.
    EXPECT_EQ(system.status, L"Skype small window not detected");

    // Back to the Skype window and again to the marked region: one more beep.
    system.log.clear();
    settings.AutoMark = 1;
    Tick();
    settings.AutoMark = 0;
    Tick(3);
    EXPECT_EQ(system.Count("beep 400 75"), 1);
}

TEST_F(TrackingTick, FullScreenNeitherTracksNorBeeps) {
    settings.HideWindow = 1;
    Tick();
    EXPECT_EQ(ticker.BackgroundActive(), 1);
    system.log.clear();
    settings.FullScreen = 1;
    system.Get(2).rect = {0, 0, 640, 480};
    Tick(3);
    EXPECT_EQ(ticker.BackgroundActive(), 0);
    EXPECT_EQ(system.Count("beep 400 75"), 0);
    EXPECT_EQ(system.Count("write"), 0);
    // From full screen to the marked region: the beep comes.
    settings.FullScreen = 0;
    settings.AutoMark = 0;
    Tick();
    EXPECT_EQ(system.Count("beep 400 75"), 1);
}

TEST_F(TrackingTick, RecordingFreezesTheTrackedWindow) {
    Tick();
    system.log.clear();
    system.Get(2).title = L"Bob renamed";
    system.Get(2).rect = {300, 300, 720, 550};
    Tick(3, true);
    EXPECT_EQ(titles.TrackedTitle(), L"Bob");
    EXPECT_EQ(titles.TrackedWindow(), 2u);
    EXPECT_EQ(Region(), (ScreenRect{100, 100, 520, 350}));
    EXPECT_TRUE(system.log.empty());
}

TEST_F(TrackingTick, StraddlingWindowFlipsTheMonitorEachTick) {
    env.DisplayCount = 2;
    env.Display2Rect = env.Display2WorkRect = {1280, 0, 2560, 1024};
    system.Get(2).rect = {1000, 100, 1420, 350};
    Tick();
    EXPECT_EQ(settings.Monitor, 2);
    EXPECT_EQ(system.log,
              (std::vector<std::string>{"timer stop", "preview", "timer start", "write", "preview", "status"}));
    system.log.clear();
    Tick();
    EXPECT_EQ(settings.Monitor, 1);
    EXPECT_EQ(system.log, (std::vector<std::string>{"timer stop", "preview", "timer start"}));
    Tick();
    EXPECT_EQ(settings.Monitor, 2);

    // Wholly on display 1: it stays there.
    system.Get(2).rect = {100, 100, 520, 350};
    Tick(2);
    EXPECT_EQ(settings.Monitor, 1);
    system.log.clear();
    Tick();
    EXPECT_EQ(system.log, (std::vector<std::string>{"timer stop", "timer start"}));
}

TEST_F(TrackingTick, BackgroundScale) {
    settings.HideWindow = 1;
    settings.Monitor = 2;
    ticker.Tick({false, 100, 150});
    // The scale is taken before the step: background mode starts at this tick.
    EXPECT_EQ(ticker.RelativeScale(), 100);
    ticker.Tick({false, 100, 150});
    EXPECT_EQ(ticker.RelativeScale(), 150);
    ticker.Tick({false, 0, 150});
    EXPECT_EQ(ticker.RelativeScale(), 150);
    ticker.Tick({false, 200, 150});
    EXPECT_EQ(ticker.RelativeScale(), 75);
    ticker.Tick({false, 100, 0.5});
    EXPECT_EQ(ticker.RelativeScale(), 100);
    EXPECT_EQ(system.Count("preview"), 1);  // only the region's; no preview capture yet

    // With the preview's capture filter: a change of scale or of background
    // mode restarts the preview.
    system.previewExists = true;
    system.log.clear();
    ticker.Tick({false, 100, 150});
    ticker.Tick({false, 100, 150});
    EXPECT_EQ(system.Count("preview"), 1);
    system.Get(2).minimised = true;
    ticker.Tick({false, 100, 150});  // background mode ends in the step
    ticker.Tick({false, 100, 150});  // and the scale sees it
    EXPECT_EQ(system.Count("preview"), 2);
    EXPECT_EQ(ticker.RelativeScale(), 100);
}

TEST_F(TrackingTick, RelativeScaleRules) {
    EXPECT_EQ(RelativeScaleFor(1, 2, 100, 125), 125);
    EXPECT_EQ(RelativeScaleFor(1, 2, 150, 100), 66);
    EXPECT_EQ(RelativeScaleFor(1, 2, 0, 125), 125);
    EXPECT_EQ(RelativeScaleFor(1, 1, 100, 125), 100);
    EXPECT_EQ(RelativeScaleFor(0, 2, 100, 125), 100);
    EXPECT_EQ(RelativeScaleFor(1, 2, 100, 0), 100);
}

TEST_F(TrackingTick, PositionCheckOnceWhenThePreviewExists) {
    env.Display1Rect = {0, 0, 1280, 1024};
    settings.xTop = -500;
    settings.yTop = 40;
    settings.xBottom = 300;
    settings.yBottom = 400;
    ticker.BackgroundPositionCheck();
    EXPECT_TRUE(system.log.empty());  // no preview capture yet
    system.previewExists = true;
    ticker.BackgroundPositionCheck();
    EXPECT_EQ(Region(), (ScreenRect{0, 0, 300, 400}));
    EXPECT_EQ(system.log, (std::vector<std::string>{"write", "read", "preview"}));
    settings.xTop = 2000;
    ticker.BackgroundPositionCheck();
    EXPECT_EQ(settings.xTop, 2000);
    EXPECT_EQ(system.log.size(), 3u);
}

TEST_F(TrackingTick, PositionCheckLeavesAnInsideRegion) {
    system.previewExists = true;
    settings.xTop = 1280;  // the right edge still counts as inside
    ticker.BackgroundPositionCheck();
    EXPECT_EQ(settings.xTop, 1280);
    EXPECT_TRUE(system.log.empty());
}

TEST(TrackingFit, NarrowsAWindowOffTheLeftEdge) {
    const ScreenRect display1{0, 0, 1280, 1024}, display2{-1280, 0, 0, 1024};
    struct FitCase {
        ScreenRect window;
        int monitor;
        ScreenRect expected;
    } cases[] = {
        {{-20, 50, 400, 300}, 1, {1, 50, 379, 300}},         {{0, 50, 400, 300}, 1, {0, 50, 400, 300}},
        {{-1300, 50, -900, 300}, 2, {-1279, 50, -921, 300}}, {{-1280, 50, -900, 300}, 2, {-1280, 50, -900, 300}},
        {{-20, 50, 400, 300}, 2, {-20, 50, 400, 300}},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.window.left);
        EXPECT_EQ(FitOnDisplay(c.window, c.monitor, display1, display2), c.expected);
    }
}

// The thread's passes, counting how many run at once.
struct PassCounter {
    std::atomic<int> inside{0};
    std::atomic<int> most{0};
    std::atomic<int> passes{0};
    std::atomic<int> exits{0};
    static void Pass(void* self) {
        auto* c = static_cast<PassCounter*>(self);
        const int now = ++c->inside;
        int most = c->most;
        while (now > most && !c->most.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(2ms);
        ++c->passes;
        --c->inside;
    }
    static void Exit(void* self) { ++static_cast<PassCounter*>(self)->exits; }
};

bool PollFor(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(TrackingThread, AtMostOneRunsWhateverTheStarts) {
    PassCounter counter;
    TrackingWorker worker(&PassCounter::Pass, &PassCounter::Exit, &counter, 5ms);
    EXPECT_FALSE(worker.Running());
    worker.Start();
    worker.Start();
    EXPECT_TRUE(PollFor(2s, [&] { return counter.passes >= 3; }));
    // Stopped and started again at once, many times: the ending thread either
    // goes on or ends before the next begins.
    for (int i = 0; i < 50; ++i) {
        worker.Stop();
        worker.Start();
    }
    EXPECT_TRUE(PollFor(2s, [&] { return counter.passes >= 10; }));
    EXPECT_EQ(counter.most, 1);
    EXPECT_TRUE(worker.Running());

    worker.EndThread();
    EXPECT_TRUE(worker.WaitUntilStopped(2s));
    EXPECT_FALSE(worker.Running());
    const int passes = counter.passes;
    const int exits = counter.exits;
    EXPECT_GE(exits, 1);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(counter.passes, passes);

    worker.Start();
    EXPECT_TRUE(PollFor(2s, [&] { return counter.passes > passes; }));
    worker.Stop();
    EXPECT_TRUE(worker.WaitUntilStopped(2s));
    EXPECT_EQ(counter.exits, exits + 1);
    EXPECT_EQ(counter.most, 1);
}

TEST(TrackingThread, StopWakesTheThreadBeforeItsPeriod) {
    PassCounter counter;
    TrackingWorker worker(&PassCounter::Pass, &PassCounter::Exit, &counter, 10s);
    worker.Start();
    EXPECT_TRUE(PollFor(2s, [&] { return counter.passes == 1; }));
    const auto before = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_TRUE(worker.WaitUntilStopped(2s));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
}

}  // namespace
