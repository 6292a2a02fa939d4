// "&Get Video" under Wine with the real recorder: it finds the fake call's
// 640 x 360 video and makes it the capture region, ends a search on a still
// screen after its twenty quiet attempts, and a second "&Get Video" cancels
// a running search.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/wine/app/RecorderRun.h"
#include "tests/wine/fakecall/Programs.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
constexpr int kGetVideo = 33016;
// Where the fake call plays its video. The call window itself is minimised:
// nothing else moves, and with no call window to track the recorder's tick
// leaves its status line to the search.
constexpr RECT kVideo{200, 150, 840, 510};
constexpr ULONG_PTR kCommandTag = 0x46434D44;  // the fake call's WM_COPYDATA commands

const std::wstring kSearching = L" Searching...Start your video now. Click Search to cancel.";
const std::wstring kFound = L"Motion video detected. Click Accept in the video window...";
const std::wstring kNoVideo = L"Search stopped. No motion video detected.";
const std::wstring kCancelled = L"Search canceled...";

int SettingNumber(const std::string& text, const std::string& key) {
    const size_t at = text.find("\r\n" + key + ": ");
    if (at == std::string::npos) return -1;
    return std::atoi(text.c_str() + at + key.size() + 4);
}

struct Region {
    int left = -1, top = -1, right = -1, bottom = -1;
    std::string Text() const {
        return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
               std::to_string(bottom);
    }
};

Region SettingsRegion() {
    const std::string text = ReadAll(SettingsFile());
    return Region{SettingNumber(text, "xTop"), SettingNumber(text, "yTop"), SettingNumber(text, "xBottom"),
                  SettingNumber(text, "yBottom")};
}

class MotionSearch : public ::testing::Test {
protected:
    void SetUp() override {
        EndLeftovers();
        // The recorder below right, clear of the video; no preview.
        PrepareSettings({{"Size", "100"},
                         {"MiniClone", "1"},
                         {"Position", "900,700"},
                         {"Max File Time", "0"},
                         {"HideWindow", "0"},
                         {"ShowVideo", "0"},
                         {"xTop", "10"},
                         {"yTop", "20"},
                         {"xBottom", "330"},
                         {"yBottom", "260"}});
    }
    void TearDown() override {
        if (run.program) CloseRecorder(run);
        if (m_call) EndProgram(m_call, m_callWindow);
        EndLeftovers();
    }

    void StartMinimisedCall(bool video) {
        m_call = StartProgram(BesideTest(L"fakecall.exe"), video ? L"/video 200 150" : L"");
        ASSERT_TRUE(m_call);
        m_callWindow = WaitForWindow(L"TConversationForm", L"Bob", 10000);
        ASSERT_NE(m_callWindow, nullptr);
        if (video) {
            ASSERT_NE(WaitForWindow(L"FakeCallVideo", L"Fake video", 5000), nullptr);
        }
        ASSERT_TRUE(Call(L"minimise call"));
    }
    bool Call(const std::wstring& command) {
        COPYDATASTRUCT data{kCommandTag, static_cast<DWORD>(command.size() * sizeof(wchar_t)),
                            const_cast<wchar_t*>(command.data())};
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(m_callWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                     5000, &result) &&
               result == 1;
    }
    void Start() {
        run = StartRecorder();
        ASSERT_NE(run.recorder, nullptr);
        if (HWND box = driver::WaitForMessageBox(L"Telvane Message", 4000, run.program.Id())) {
            ADD_FAILURE() << "message at start: " << Narrow(driver::MessageBoxText(box));
            driver::PressButton(box, IDOK);
        }
        WaitForDeferredInit();
    }
    std::wstring Status() { return driver::GetControlText(run.recorder, kStatus); }
    bool StatusBecomes(const std::wstring& text, DWORD ms) {
        return driver::PollUntil(ms, [&] { return Status() == text; });
    }
    void GetVideo() { ASSERT_TRUE(driver::SendMenuCommand(run.recorder, kGetVideo)); }
    // No message box may stand in the search's way.
    void ExpectNoMessageBox() {
        if (HWND box = driver::WaitForMessageBox(L"Telvane Message", 200, run.program.Id())) {
            ADD_FAILURE() << "message: " << Narrow(driver::MessageBoxText(box));
            driver::PressButton(box, IDOK);
        }
    }

    Started run;
    win::Handle m_call;
    HWND m_callWindow = nullptr;
};

TEST_F(MotionSearch, FindsTheVideoAndMakesItTheCaptureRegion) {
    StartMinimisedCall(true);
    Start();
    GetVideo();
    EXPECT_TRUE(StatusBecomes(kSearching, 5000)) << Narrow(Status());
    // Two qualifying attempts of at most a second each, plus the grabs.
    const DWORD started = ::GetTickCount();
    Region found;
    const bool detected = driver::PollUntil(20000, [&] {
        if (Status() != kFound) return false;
        // Read at once: the handler wrote the settings before the status.
        found = SettingsRegion();
        return true;
    });
    ASSERT_TRUE(detected) << Narrow(Status());
    const DWORD took = ::GetTickCount() - started;
    std::printf("video found in %lu ms at %s\n", static_cast<unsigned long>(took), found.Text().c_str());
    ExpectNoMessageBox();
    // Left and right come in by the window edge, the top is one row below
    // the video's first, the bottom its last row's end.
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(found.left, kVideo.left + edgeX) << found.Text();
    EXPECT_EQ(found.right, kVideo.right - edgeX) << found.Text();
    EXPECT_GE(found.top, kVideo.top) << found.Text();
    EXPECT_LE(found.top, kVideo.top + 3) << found.Text();
    EXPECT_GE(found.bottom, kVideo.bottom - 3) << found.Text();
    EXPECT_LE(found.bottom, kVideo.bottom) << found.Text();
    // The first qualifying attempt is never taken: the second attempt's pause
    // (800 ms) came after the first's (900 ms); one attempt takes about 1000.
    EXPECT_GE(took, 1500u);
    // The marking window opens on it for the user to accept.
    HWND marking = driver::WaitForWindow(L"Size me, Move me", 3000, run.program.Id());
    ASSERT_NE(marking, nullptr);
    const RECT at = driver::WindowRect(marking);
    EXPECT_EQ((Region{at.left, at.top, at.right, at.bottom}).Text(), found.Text());
    driver::SaveScreenshot(nullptr, BesideTest(L"motion_search_found.png"));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(MotionSearch, StillScreenEndsAfterTwentyQuietAttempts) {
    StartMinimisedCall(false);
    Start();
    const Region before = SettingsRegion();
    GetVideo();
    EXPECT_TRUE(StatusBecomes(kSearching, 5000)) << Narrow(Status());
    const DWORD started = ::GetTickCount();
    ASSERT_TRUE(StatusBecomes(kNoVideo, 45000)) << Narrow(Status());
    const DWORD took = ::GetTickCount() - started;
    std::printf("still screen: search ended after %lu ms\n", static_cast<unsigned long>(took));
    // Twenty attempts: their grab pauses (900 ... 200, 1000, 900 ... 200,
    // 1000, 900, 800) and 150 ms after each.
    EXPECT_GE(took, 12500u + 20u * 150u);
    ExpectNoMessageBox();
    EXPECT_EQ(SettingsRegion().Text(), before.Text());
    // The status stays: no other report follows.
    ::Sleep(2500);
    EXPECT_EQ(Status(), kNoVideo);
    // Idle again: the next "&Get Video" starts a new search.
    GetVideo();
    EXPECT_TRUE(StatusBecomes(kSearching, 5000)) << Narrow(Status());
    GetVideo();
    EXPECT_TRUE(StatusBecomes(kCancelled, 5000)) << Narrow(Status());
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(MotionSearch, GetVideoDuringASearchCancelsIt) {
    StartMinimisedCall(false);
    Start();
    const Region before = SettingsRegion();
    GetVideo();
    EXPECT_TRUE(StatusBecomes(kSearching, 5000)) << Narrow(Status());
    ::Sleep(2500);
    GetVideo();
    const DWORD asked = ::GetTickCount();
    // Seen at the next attempt's scans: within one pause and its grabs.
    ASSERT_TRUE(StatusBecomes(kCancelled, 4000)) << Narrow(Status());
    std::printf("cancelled after %lu ms\n", static_cast<unsigned long>(::GetTickCount() - asked));
    ExpectNoMessageBox();
    EXPECT_EQ(SettingsRegion().Text(), before.Text());
    // Nothing more arrives from the ended search.
    ::Sleep(3000);
    EXPECT_EQ(Status(), kCancelled);
    EXPECT_EQ(SettingsRegion().Text(), before.Text());
    EXPECT_EQ(CloseRecorder(run), 0u);
}

}  // namespace
