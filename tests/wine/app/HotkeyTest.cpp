// The record hotkey of the running recorder: registration, the message when
// another program holds the combination, and a press with its lockout.

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kStatusControl = 118;
constexpr int kRecordButton = 1215;
constexpr int kTestHotkeyId = 7;

class RecorderHotkey : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override {
        ::UnregisterHotKey(nullptr, kTestHotkeyId);
        EndLeftovers();
    }

    std::wstring Status(HWND recorder) { return driver::GetControlText(recorder, kStatusControl); }
    // True once the status reads text, or starts with laterPrefix (a state
    // the program may pass through text into between two polls).
    bool StatusBecomes(HWND recorder, const std::wstring& text, DWORD ms, const std::wstring& laterPrefix = L"") {
        return driver::PollUntil(ms, [&] {
            const std::wstring now = Status(recorder);
            return now == text || (!laterPrefix.empty() && now.rfind(laterPrefix, 0) == 0);
        });
    }
};

TEST_F(RecorderHotkey, TheRecorderHoldsShiftZ) {
    Started run = StartRecorder();
    ASSERT_NE(run.recorder, nullptr);
    WaitForDeferredInit();
    // Taken: nobody else gets it while the recorder runs.
    EXPECT_FALSE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_SHIFT, 'Z'));
    EXPECT_EQ(CloseRecorder(run), 0u);
    // Given back when the recorder closes.
    EXPECT_TRUE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_SHIFT, 'Z'));
}

TEST_F(RecorderHotkey, ACombinationHeldElsewhereIsReported) {
    ASSERT_TRUE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_SHIFT, 'Z'));
    Started run = StartRecorder();
    ASSERT_NE(run.recorder, nullptr);
    HWND box = driver::WaitForMessageBox(L"Telvane Message", 15000, run.program.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), L"Cannot register hotkey SHIFT+90");
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    // The program goes on without a hotkey.
    ::Sleep(1500);
    EXPECT_TRUE(run.program.IsRunning());
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(RecorderHotkey, APressAsksForAStartAndASecondPressWithinFiveSecondsIsIgnored) {
    Started run = StartRecorder();
    ASSERT_NE(run.recorder, nullptr);
    WaitForDeferredInit();

    const DWORD first = ::GetTickCount();
    ::PostMessageW(run.recorder, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, 'Z'));
    // "Initialize recording..." stands only while the graph is built; a
    // quick build can pass it between two polls.
    EXPECT_TRUE(StatusBecomes(run.recorder, L"Initialize recording...", 3000, L"Recording: "))
        << Narrow(Status(run.recorder));
    // The recording graph starts: the record button reads "STOP".
    EXPECT_TRUE(driver::PollUntil(4000, [&] { return driver::GetControlText(run.recorder, kRecordButton) == L"STOP"; }))
        << Narrow(Status(run.recorder));
    ASSERT_LT(::GetTickCount() - first, 4500u) << "too slow to test the lockout";
    // Inside the lockout: a counted press would stop at the next tick.
    ::PostMessageW(run.recorder, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, 'Z'));
    ::Sleep(1500);
    EXPECT_EQ(driver::GetControlText(run.recorder, kRecordButton), L"STOP");
    EXPECT_EQ(Status(run.recorder).rfind(L"Recording: ", 0), 0u) << Narrow(Status(run.recorder));

    // After the five seconds a press counts again: it stops the recording.
    while (::GetTickCount() - first < 5600) ::Sleep(100);
    ::PostMessageW(run.recorder, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, 'Z'));
    EXPECT_TRUE(driver::PollUntil(10000, [&] { return Status(run.recorder).rfind(L"Recording Stopped: ", 0) == 0; }))
        << Narrow(Status(run.recorder));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

}  // namespace
