// Following the call window under Wine: the real recorder with the fake
// call (fakecall.exe and its other Skype windows). The status line names
// the tracked window, the capture region in the settings file follows it at
// the next tick and stays unwritten while it stays still, a minimised call
// keeps its title, the full-screen call window wins, the marked region
// beeps once and restarts the preview once (as the developer console's log
// shows them), and recordings are named after the title frozen at their
// start (the recorder with the stand-in graph that grows its output file).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/wine/app/RecorderRun.h"
#include "tests/wine/fakecall/Programs.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
constexpr int kRecord = 1215;
constexpr int kFullScreenCommand = 33058;
constexpr int kMarkedWindowCommand = 33030;
constexpr int kLogControl = 12345;
constexpr ULONG_PTR kCommandTag = 0x46434D44;  // the fake call's WM_COPYDATA commands

std::string SettingLine(const std::string& key) {
    const std::string text = ReadAll(SettingsFile());
    const size_t at = text.find("\r\n" + key + ": ");
    if (at == std::string::npos) return std::string();
    return text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
}

std::string Region() {
    return SettingLine("xTop") + "," + SettingLine("yTop") + "," + SettingLine("xBottom") + "," +
           SettingLine("yBottom");
}

std::string RegionOf(int left, int top, int right, int bottom) {
    return "xTop: " + std::to_string(left) + ",yTop: " + std::to_string(top) + ",xBottom: " + std::to_string(right) +
           ",yBottom: " + std::to_string(bottom);
}

size_t Occurrences(const std::wstring& text, const std::wstring& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class Tracking : public ::testing::Test {
protected:
    void SetUp() override {
        EndLeftovers();
        m_folder = std::filesystem::path(driver::ProgramFolder()) / L"tracking_recordings";
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override {
        if (run.program) CloseRecorder(run);
        if (m_call) EndProgram(m_call, m_callWindow);
        EndLeftovers();
    }

    // The recorder away from the call (the call at 100,100 to 520,350).
    void Prepare() {
        PrepareSettings({{"Size", "100"},
                         {"MiniClone", "1"},
                         {"Position", "900,700"},
                         {"Max File Time", "0"},
                         {"HideWindow", "0"},
                         {"Recording Folder", Narrow(m_folder.wstring())}});
    }
    void StartCall(const std::wstring& with = L"") {
        std::wstring args = L"/x 100 /y 100";
        if (!with.empty()) args += L" /with " + with;
        m_call = StartProgram(BesideTest(L"fakecall.exe"), args);
        ASSERT_TRUE(m_call);
        m_callWindow = WaitForWindow(L"TConversationForm", L"Bob", 10000);
        ASSERT_NE(m_callWindow, nullptr);
    }
    void Start(const std::wstring& exe = L"telvane.exe") {
        run = StartRecorder(L"", exe);
        ASSERT_NE(run.recorder, nullptr);
        // The start-up shows no message: one would stop the ticks behind it.
        if (HWND box = driver::WaitForMessageBox(L"Telvane Message", 4000, run.program.Id())) {
            ADD_FAILURE() << "message at start: " << Narrow(driver::MessageBoxText(box));
            driver::PressButton(box, IDOK);
        }
    }
    // A command of the fake call; true when it was carried out.
    bool Call(const std::wstring& command) {
        COPYDATASTRUCT data{kCommandTag, static_cast<DWORD>(command.size() * sizeof(wchar_t)),
                            const_cast<wchar_t*>(command.data())};
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(m_callWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                     5000, &result) &&
               result == 1;
    }
    std::wstring Status() { return driver::GetControlText(run.recorder, kStatus); }
    bool StatusBecomes(const std::wstring& text, DWORD ms = 10000) {
        return driver::PollUntil(ms, [&] { return Status() == text; });
    }
    bool RegionBecomes(const std::string& region, DWORD ms = 5000) {
        return driver::PollUntil(ms, [&] { return Region() == region; });
    }
    std::wstring ConsoleText() {
        HWND frame = driver::FindTopWindow(L"Telvane", run.program.Id());
        return frame ? driver::GetControlText(frame, kLogControl) : std::wstring();
    }

    Started run;
    win::Handle m_call;
    HWND m_callWindow = nullptr;
    std::filesystem::path m_folder;
};

TEST_F(Tracking, RegionFollowsTheCallWindowAndStaysStill) {
    Prepare();
    StartCall();
    Start();
    EXPECT_TRUE(StatusBecomes(L"Bob (0)")) << Narrow(Status());
    EXPECT_TRUE(RegionBecomes(RegionOf(100, 100, 520, 350))) << Region();

    // One pixel to the right: the next tick writes the new region.
    ASSERT_TRUE(Call(L"move call 101 100"));
    EXPECT_TRUE(RegionBecomes(RegionOf(101, 100, 521, 350), 2500)) << Region();
    // A new size too.
    ASSERT_TRUE(Call(L"size call 400 240"));
    EXPECT_TRUE(RegionBecomes(RegionOf(101, 100, 501, 340), 2500)) << Region();

    // Left still: ten ticks leave the file as it is.
    ::Sleep(1500);
    const std::string before = ReadAll(SettingsFile());
    ::Sleep(10500);
    EXPECT_EQ(ReadAll(SettingsFile()), before);

    // Minimised: nothing is tracked, the status keeps the last title and the
    // region stays where it was.
    ASSERT_TRUE(Call(L"minimise call"));
    ::Sleep(3000);
    EXPECT_EQ(Status(), L"Bob (0)");
    EXPECT_EQ(Region(), RegionOf(101, 100, 501, 340));
    ASSERT_TRUE(Call(L"restore call"));
    ASSERT_TRUE(Call(L"move call 100 100"));
    EXPECT_TRUE(RegionBecomes(RegionOf(100, 100, 500, 340), 3500)) << Region();
    EXPECT_EQ(Status(), L"Bob (0)");
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Tracking, FullScreenCallWindowWins) {
    Prepare();
    StartCall(L"live,main,monitor,preview");
    Start();
    EXPECT_TRUE(StatusBecomes(L"Full screen Skype window (0)")) << Narrow(Status());
    EXPECT_TRUE(RegionBecomes(RegionOf(40, 420, 340, 620))) << Region();
    // Without it: the thread learns one Skype window per pass, the front one,
    // which is the newer app's frame (made last); it stands for the
    // conversation window and is tracked before the main window.
    ASSERT_TRUE(Call(L"minimise live"));
    EXPECT_TRUE(StatusBecomes(L"Skype Preview (0)")) << Narrow(Status());
    EXPECT_TRUE(RegionBecomes(RegionOf(1000, 420, 1300, 620))) << Region();
    // Minimised too: the main window's title was never learnt, so nothing is
    // tracked and the status keeps the last title.
    ASSERT_TRUE(Call(L"minimise preview"));
    ::Sleep(2500);
    EXPECT_EQ(Status(), L"Skype Preview (0)");
    EXPECT_EQ(Region(), RegionOf(1000, 420, 1300, 620));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Tracking, MarkedRegionBeepsOnceAndRestartsThePreviewOnce) {
    Prepare();
    StartCall();
    Start(L"telvane_devconsole.exe");
    EXPECT_TRUE(StatusBecomes(L"Bob (0)")) << Narrow(Status());
    // Full screen on (it leaves "AutoMark" at 0), then off again: the
    // marked region is the capture source.
    const std::wstring before = ConsoleText();
    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, kFullScreenCommand));
    ::Sleep(3500);
    EXPECT_EQ(Occurrences(ConsoleText(), L"Tracking: beep 400 Hz 75 ms"), 0u);
    const size_t restarts = Occurrences(ConsoleText(), L"Tracking: clone preview restarted");
    ASSERT_TRUE(driver::SendMenuCommand(run.recorder, kFullScreenCommand));
    EXPECT_TRUE(StatusBecomes(L"Skype small window not detected", 5000)) << Narrow(Status());
    ::Sleep(4000);
    const std::wstring after = ConsoleText();
    EXPECT_EQ(Occurrences(before, L"Tracking: beep 400 Hz 75 ms"), 0u);
    EXPECT_EQ(Occurrences(after, L"Tracking: beep 400 Hz 75 ms"), 1u);
    EXPECT_EQ(Occurrences(after, L"Tracking: clone preview restarted"), restarts + 1);
    // The region is the full-screen toggle's, not the call window's.
    EXPECT_EQ(Region(), RegionOf(100, 100, 800, 600));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Tracking, RecordingsAreNamedAfterTheFrozenTitle) {
    Prepare();
    StartCall();
    Start(L"telvane_fakegraph.exe");
    EXPECT_TRUE(StatusBecomes(L"Bob (0)")) << Narrow(Status());
    for (const wchar_t* expected : {L"Bob.wmv", L"Bob[2].wmv"}) {
        SCOPED_TRACE(Narrow(expected));
        ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
        ASSERT_TRUE(driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; }));
        // Retitled and moved while recording: the tracked title and the
        // region stay those of the start.
        ASSERT_TRUE(Call(L"title call Alice"));
        ASSERT_TRUE(Call(L"move call 150 120"));
        ::Sleep(2500);
        ::SendMessageW(run.recorder, WM_COMMAND, MAKEWPARAM(kMarkedWindowCommand, 0), 0);
        EXPECT_EQ(Status(), L"Bob");
        EXPECT_EQ(Region(), RegionOf(100, 100, 520, 350));
        EXPECT_TRUE(std::filesystem::exists(m_folder / expected));

        ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
        ASSERT_TRUE(
            driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"RECORD"; }));
        // Tracking goes on after the stop and sees the new title and place.
        EXPECT_TRUE(StatusBecomes(L"Alice (0)")) << Narrow(Status());
        EXPECT_TRUE(RegionBecomes(RegionOf(150, 120, 570, 370))) << Region();
        ASSERT_TRUE(Call(L"title call Bob"));
        ASSERT_TRUE(Call(L"move call 100 100"));
        EXPECT_TRUE(StatusBecomes(L"Bob (0)")) << Narrow(Status());
        EXPECT_TRUE(RegionBecomes(RegionOf(100, 100, 520, 350))) << Region();
    }
    std::vector<std::wstring> names;
    for (const auto& file : Recordings(m_folder)) names.push_back(file.filename().wstring());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Bob.wmv", L"Bob[2].wmv"}));
    EXPECT_EQ(CloseRecorder(run), 0u);
}

TEST_F(Tracking, FakeCallRefusesUnknownCommands) {
    StartCall(L"monitor");
    EXPECT_NE(WaitForWindow(L"TCallMonitorForm", L"Bob - call", 5000), nullptr);
    EXPECT_EQ(WaitForWindow(L"tSkMainForm", L"Skype - bob.main", 500), nullptr);
    EXPECT_FALSE(Call(L"move main 1 1"));
    EXPECT_FALSE(Call(L"jump call 1 1"));
    EXPECT_FALSE(Call(L"move call 1"));
    EXPECT_TRUE(Call(L"title monitor Carol - call"));
    EXPECT_NE(WaitForWindow(L"TCallMonitorForm", L"Carol - call", 5000), nullptr);
}

}  // namespace
