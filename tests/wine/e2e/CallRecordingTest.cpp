// End-to-end recordings of a call: the real telvane.exe records the fake
// call (fakecall.exe, the window "Bob" with its voice on the speakers) while
// the local party's 1000 Hz tone plays into the microphone from Linux
// (run_call.sh). Each case leaves in tests\e2e\<case>\ the recording
// ("call.wmv"), what the test measured ("times.json": how long the graph
// ran, by the notifications the recorder sent to the test's own
// "QrRestore" window), screenshots of the desktop with the recorder
// before the start ("recorder.png") and half-way through ("desktop.png"),
// the moments the fake call flashed ("flashes.txt", its own) and those its
// clicks reached the speakers' monitor ("clicks.txt", the reference
// reader's, from run_call.sh); check_call.py then reads the recording from
// Linux.
//
// The recording starts through the hotkey, pauses and resumes through
// "&Pause" and stops through the RECORD button, as a user does it. The
// fake call closes its output device for a while in the middle ("the remote
// party goes quiet"), which only the silence helper bridges.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "audio/AudioTestDlgIds.h"
#include "tests/wine/app/RecorderRun.h"
#include "tests/wine/driver/ThreadWindow.h"
#include "tests/wine/e2e/NotificationClock.h"
#include "tests/wine/fakecall/Programs.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
constexpr int kRecord = 1215;
constexpr int kPauseCommand = 32974;
// The fake call closes its device for wParam ms, then plays blocks of lParam ms (0: as before).
constexpr UINT kReopenMessage = WM_APP + 1;
constexpr int kCallX = 100, kCallY = 100;  // the window is 420 x 250
constexpr wchar_t kDeviceName[] = L"Telvane Test Line In";

struct CallCase {
    const char* name;
    std::map<std::string, std::string> settings;
    double firstRunS;   // from the start to the pause (or the stop)
    double pauseS;      // 0: no pause
    double secondRunS;  // after the resume
    double gapAtS;      // when the fake call closes its device, from the start; 0: never
    double gapS;
    DWORD blockAfterPauseMs;         // the fake call's playback block from the resume on; 0: the 10 ms it starts with
    bool silenceHelper;              // false: a window titled "Silence" stands in, so none plays
    bool device = false;             // the stand-in capture device is registered under kDeviceName
    bool throughAudioSetup = false;  // the audio setup opens at start and the test chooses the device in it
    std::wstring installedAt = L"";  // empty: the build's product folder
    std::wstring shortcut = L"";     // installed by the installer: started from this shortcut to kq.exe
};

std::string Narrow8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::map<std::string, std::string> With(std::map<std::string, std::string> base,
                                        const std::map<std::string, std::string>& changes) {
    for (const auto& [key, value] : changes) base[key] = value;
    return base;
}

// The recorder follows the call window ("AutoMark" 1): the capture region
// starts elsewhere, on the desktop's corner, and only the tracking puts it
// on "Bob", so the fake call's frame numbers in the recording prove that it
// did. The recorder sits away from the call.
std::map<std::string, std::string> CallSettings(const std::filesystem::path& folder) {
    return {{"Recording Folder", Narrow8(folder.wstring())},
            {"AutoMark", "1"},
            {"FullScreen", "0"},
            {"xTop", "0"},
            {"yTop", "0"},
            {"xBottom", "320"},
            {"yBottom", "240"},
            {"Frame Rate", "30.00"},
            {"Video Bitrate", "800"},
            {"Audio Bitrate", "64"},
            {"Bitcount", "32"},
            {"Position", "900,700"},
            {"Max File Time", "0"},
            {"VistaAudio", "1"},
            {"Dual Audio", "1"},
            {"Audio Source1", "Microphone"},
            {"Audio Output1", "Capture"}};
}

// A window titled "Silence" on a thread of the test: the recorder takes it
// for the silence helper and starts none, so nothing renders to the
// speakers while the fake call is quiet.
class SilenceDecoy {
public:
    void Open() {
        m_window.Open([] {
            return ::CreateWindowExW(0, L"STATIC", L"Silence", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                     nullptr);
        });
    }

private:
    driver::ThreadWindow m_window;
};

void WaitSeconds(double seconds) { ::Sleep(static_cast<DWORD>(seconds * 1000)); }

// The installed copy: the files of the product folder, as an installer puts them.
std::wstring Install(const std::wstring& to) {
    std::error_code error;
    std::filesystem::remove_all(to, error);
    if (!std::filesystem::create_directories(to, error)) return std::wstring();
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(driver::ProductFolder()))) {
        if (!entry.is_regular_file()) continue;
        if (!std::filesystem::copy_file(entry.path(), std::filesystem::path(to) / entry.path().filename(), error))
            return std::wstring();
    }
    return to + L"\\telvane.exe";
}

// The launcher passed the display's physical size, so the recorder shows
// no display message.
void ExpectLauncherValues(const Started& run, const std::wstring& folder) {
    const std::wstring width = std::to_wstring(::GetSystemMetrics(SM_CXSCREEN));
    const std::wstring height = std::to_wstring(::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(run.program.CommandLine(),
              L"\"" + folder + L"\\telvane.exe\" /x1 " + width + L" /y1 " + height + L" /w1 " + width);
    EXPECT_EQ(driver::FindTopWindow(L"Telvane Message"), nullptr);
}

// The recorder opens its audio setup at start, as it does for dual audio
// without a microphone; the test turns the speakers box off, chooses the
// capture device in the list and presses OK, as a user does.
void ChooseTheDeviceInAudioSetup(const Started& run) {
    HWND dialog = driver::WaitForWindow(L"Audio Setup", kStartTimeoutMs, run.program.Id());
    ASSERT_NE(dialog, nullptr) << "the audio setup did not open";
    ASSERT_TRUE(driver::PollUntil(10000, [&] {
        return driver::IsControlChecked(dialog, IDC_AUDIO_SPEAKERS) &&
               driver::IsControlChecked(dialog, IDC_AUDIO_MICROPHONE);
    }));
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_AUDIO_SPEAKERS));
    ASSERT_TRUE(driver::PollUntil(10000, [&] { return !driver::IsControlChecked(dialog, IDC_AUDIO_SPEAKERS); }));
    ASSERT_TRUE(driver::ChooseComboItem(dialog, IDC_AUDIO_SOURCES, kDeviceName));
    ASSERT_TRUE(driver::PollUntil(10000, [&] { return !driver::ComboItems(dialog, IDC_AUDIO_INPUTS).empty(); }));
    ASSERT_TRUE(driver::ClickControl(dialog, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(L"Audio Setup", 10000)) << "the audio setup stayed open";
    const std::string settings = ReadAll(SettingsFile());
    const std::vector<std::string> lines = {"VistaAudio: 0", "Dual Audio: 0", "Audio Source: " + Narrow8(kDeviceName),
                                            "Audio Output: Capture", "Audio Source1: "};
    for (const std::string& line : lines) EXPECT_NE(settings.find("\r\n" + line + "\r\n"), std::string::npos) << line;
}

void Record(const CallCase& c) {
    EndLeftovers();
    const std::filesystem::path out(driver::ProgramFolder() + L"e2e\\" + std::wstring(c.name, c.name + strlen(c.name)));
    const std::filesystem::path folder = out / L"recordings";
    std::error_code ignored;
    std::filesystem::remove_all(out, ignored);
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    PrepareSettings(c.settings);
    if (c.device) {
        winetest::RemoveTestAudioDevices();
        ASSERT_EQ(winetest::AddTestAudioDevice(kDeviceName, {}), S_OK);
    }

    NotificationClock clock;
    ASSERT_TRUE(clock.Open());
    SilenceDecoy decoy;
    if (!c.silenceHelper) decoy.Open();
    const double total = c.firstRunS + c.pauseS + c.secondRunS;
    win::Handle call =
        StartProgram(BesideTest(L"fakecall.exe"), L"/x " + std::to_wstring(kCallX) + L" /y " + std::to_wstring(kCallY) +
                                                      L" /seconds " + std::to_wstring(static_cast<int>(total) + 60) +
                                                      L" /flashes \"" + (out / L"flashes.txt").wstring() + L"\"");
    ASSERT_TRUE(call);
    HWND bob = WaitForWindow(L"TConversationForm", L"Bob", 10000);
    const EndProgramOnExit endCall(call, bob);
    ASSERT_NE(bob, nullptr);

    Started run;
    if (!c.shortcut.empty()) {
        run = StartThroughShell(c.shortcut);
    } else {
        std::wstring exe = L"telvane.exe";
        if (!c.installedAt.empty()) {
            exe = Install(c.installedAt);
            ASSERT_FALSE(exe.empty());
        }
        run = StartRecorder(L"", exe);
    }
    ASSERT_NE(run.recorder, nullptr);
    if (c.throughAudioSetup) {
        ChooseTheDeviceInAudioSetup(run);
        if (::testing::Test::HasFatalFailure()) return;
    }
    WaitForDeferredInit();
    if (!c.shortcut.empty()) ExpectLauncherValues(run, c.installedAt);
    if (c.silenceHelper && c.settings.at("VistaAudio") == "1" && !c.throughAudioSetup) {
        ASSERT_TRUE(driver::PollUntil(20000, [] { return driver::FindTopWindow(L"Silence") != nullptr; }));
    }
    ::SetWindowPos(bob, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kStatus) == L"Bob (0)"; }))
        << Narrow(driver::GetControlText(run.recorder, kStatus));

    driver::Settle(500);
    driver::SaveScreenshot(nullptr, (out / L"recorder.png").wstring());

    // The hotkey: the start is carried out at the next tick.
    ::PostMessageW(run.recorder, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, 'Z'));
    if (!driver::PollUntil(20000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; })) {
        driver::SaveScreenshot(nullptr, (out / L"not_started.png").wstring());
        FAIL() << "the recording did not start: " << Narrow(driver::GetControlText(run.recorder, kStatus));
    }
    const double started = CounterSeconds();
    auto at = [&](double s) {
        const double wait = started + s - CounterSeconds();
        if (wait > 0) WaitSeconds(wait);
    };
    if (c.gapAtS > 0 && c.gapAtS < c.firstRunS) {
        at(c.gapAtS);
        ::PostMessageW(bob, kReopenMessage, static_cast<WPARAM>(c.gapS * 1000), 0);
    }
    at(c.firstRunS / 2);
    driver::SaveScreenshot(nullptr, (out / L"desktop.png").wstring());
    at(c.firstRunS);
    if (c.pauseS > 0) {
        ::PostMessageW(run.recorder, WM_COMMAND, kPauseCommand, 0);
        EXPECT_TRUE(driver::PollUntil(3000, [&] {
            return driver::GetControlText(run.recorder, kStatus).rfind(L"Paused: ", 0) == 0;
        })) << Narrow(driver::GetControlText(run.recorder, kStatus));
        at(c.firstRunS + c.pauseS);
        ::PostMessageW(run.recorder, WM_COMMAND, kPauseCommand, 0);
        if (c.blockAfterPauseMs) ::PostMessageW(bob, kReopenMessage, 0, static_cast<LPARAM>(c.blockAfterPauseMs));
        at(total);
    }
    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    std::wstring status;
    EXPECT_TRUE(driver::PollUntil(15000, [&] {
        status = driver::GetControlText(run.recorder, kStatus);
        return status.rfind(L"Recording Stopped: ", 0) == 0;
    })) << Narrow(status);
    EXPECT_EQ(driver::GetControlText(run.recorder, kRecord), L"RECORD");
    EXPECT_EQ(CloseRecorder(run), 0u);
    EndProgram(call, bob);
    if (c.device) winetest::RemoveTestAudioDevices();

    const std::vector<Notification> received = clock.Received();
    const double ran = GraphRunningSeconds(received);
    std::printf("the graph ran %.3f s (%zu notifications)\n", ran, received.size());
    EXPECT_EQ(received.size(), c.pauseS > 0 ? 10u : 5u);
    const std::vector<std::filesystem::path> found = Recordings(folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].filename().wstring(), L"Bob.wmv");
    std::filesystem::copy_file(found[0], out / L"call.wmv");
    std::ofstream times(out / L"times.json");
    char text[256];
    std::snprintf(text, sizeof text, "{\"ran\": %.3f, \"pause\": %.1f, \"gap\": %.1f, \"fps\": 30}\n", ran, c.pauseS,
                  c.gapAtS > 0 ? c.gapS : 0.0);
    times << text;
    // Every click of this run so far: check_call.py picks each flash's own.
    wchar_t clicks[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"TELVANE_MONITOR_CLICKS", clicks, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        EXPECT_TRUE(std::filesystem::copy_file(clicks, out / L"clicks.txt", ignored)) << Narrow8(clicks);
    }
    EndLeftovers();
}

CallCase Case(const char* name, const std::map<std::string, std::string>& changes, double first, double pause,
              double second, double gapAt, double gap, bool silence, DWORD blockAfterPauseMs = 0) {
    const std::filesystem::path folder(driver::ProgramFolder() + L"e2e\\" + std::wstring(name, name + strlen(name)) +
                                       L"\\recordings");
    return {name, With(CallSettings(folder), changes), first, pause, second, gapAt, gap, blockAfterPauseMs, silence};
}

// The call as the product records it: the filter path with dual audio,
// 20 s, a 5 s pause, 10 s more; the remote party quiet for 5 s in the first
// part, bridged by the silence helper; from the resume on the remote
// party's voice comes in 100 ms blocks (a media player's, where a call's
// comes in short ones), so that the sync is measured for both.
TEST(CallRecording, FilterPathDualAudioWithPauseAndQuietRemote) {
    Record(Case("filter_dual", {}, 20, 5, 10, 8, 5, true, 100));
}

// No silence helper: while the remote party is quiet nothing renders to the
// speakers, the loopback delivers nothing and the filter waits for it.
TEST(CallRecording, WithoutTheSilenceHelperTheQuietRemoteIsLost) {
    Record(Case("no_silence", {}, 14, 0, 0, 4, 5, false));
}

TEST(CallRecording, AudioOnly) { Record(Case("audio_only", {{"Audio Only", "1"}}, 6, 0, 0, 0, 0, true)); }

TEST(CallRecording, VideoOnly) { Record(Case("video_only", {{"Video Only", "1"}}, 6, 0, 0, 0, 0, true)); }

// The device path: a capture device (the stand-in, reading the default
// capture endpoint, which run_call.sh makes the speakers' monitor for this
// case) in place of the filter, chosen in the audio setup that the
// recorder opens at start for dual audio without a microphone.
TEST(CallRecording, DevicePath) {
    CallCase c =
        Case("device_path",
             {{"Audio Source1", ""}, {"Audio Output1", ""}, {"Audio Source", "Sonark5"}, {"Audio Output", "Out"}}, 11,
             0, 0, 0, 0, true);
    c.device = true;
    c.throughAudioSetup = true;
    Record(c);
}

// scripts/soak.sh: ten minutes of the call, without a pause.
TEST(CallRecording, DISABLED_Soak) { Record(Case("soak", {}, 600, 0, 0, 0, 0, true)); }

// scripts/demo.sh: 15 s of the call recorded by a copy installed in
// Program Files.
TEST(CallRecording, DISABLED_Demo) {
    CallCase c = Case("demo", {}, 15, 0, 0, 0, 0, true);
    c.installedAt = L"C:\\Program Files\\Telvane";
    Record(c);
}

// tests/wine/install: 8 s of the call recorded by the copy the installer
// put in place, started from its Start-menu shortcut.
TEST(CallRecording, DISABLED_Installed) {
    CallCase c = Case("installed", {}, 8, 0, 0, 0, 0, true);
    c.installedAt = InstalledFolder();
    ASSERT_FALSE(c.installedAt.empty()) << "Telvane is not installed";
    wchar_t programs[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs)));
    c.shortcut = std::wstring(programs) + L"\\Telvane\\Telvane.lnk";
    Record(c);
}

}  // namespace
