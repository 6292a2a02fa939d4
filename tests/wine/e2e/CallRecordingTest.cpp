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
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "audio/AudioTestDlgIds.h"
#include "tests/wine/app/RecorderRun.h"
#include "tests/wine/driver/MessageBoxes.h"
#include "tests/wine/driver/PulseShell.h"
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
    // A fault of the platform in the first run: what the test does at
    // faultAtS from the start, and what the status line then shows.
    double faultAtS = 0;
    std::function<void(HWND call)> fault = nullptr;
    std::wstring faultStatus = L"";
    // The recordings folder is this drive, a small disk the test mounts:
    // the recorder stops by itself when it is full, with a box that starts
    // with fullDiskBox, and a next recording goes to the usual folder.
    std::wstring fullDisk = L"";
    std::wstring fullDiskBox = L"";
    // How the first run ends: the STOP button, the recorder killed (a crash
    // or a power cut, then a new start), or the end of the Windows session.
    enum class Ending { Stop, Kill, EndSession } ending = Ending::Stop;
};

// The note of the recording in progress, beside the settings.
std::wstring JournalFile() { return SettingsFolder() + L"\\recording_in_progress.txt"; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The recorder killed, as a crash or a power cut ends it, and started
// again: before its window it repairs the recording and says so once.
// "telvane.exe /repair FILE": its exit code, and the box it showed when it
// had no standard output to tell (answered).
DWORD RepairByHand(const std::wstring& file, std::wstring& told) {
    driver::Program repair = driver::Program::Start(driver::ProductFolder() + L"telvane.exe",
                                                    L"/repair \"" + file + L"\"", driver::ProductFolder());
    if (!repair) return 0xFFFFFFFF;
    driver::PollUntil(30000, [&] {
        if (HWND box = driver::FindTopWindow(L"Telvane Message", repair.Id(), driver::kDialogClass)) {
            told = driver::MessageBoxText(box);
            driver::PressButton(box, IDOK);
        }
        return !repair.IsRunning();
    });
    DWORD code = 0xFFFFFFFF;
    if (!repair.IsRunning()) ::GetExitCodeProcess(repair.ProcessHandle(), &code);
    return code;
}

void KillAndStartAgain(Started& run, const std::filesystem::path& folder, const std::filesystem::path& byHand) {
    ASSERT_TRUE(Exists(JournalFile()));
    ASSERT_TRUE(::TerminateProcess(run.program.ProcessHandle(), 9));
    ::WaitForSingleObject(run.program.ProcessHandle(), 10000);
    // A copy repaired by hand, with the switch, before the recorder repairs its own.
    const std::vector<std::filesystem::path> killed = Recordings(folder);
    ASSERT_EQ(killed.size(), 1u);
    std::filesystem::copy_file(killed[0], byHand, std::filesystem::copy_options::overwrite_existing);
    std::wstring told;
    EXPECT_EQ(RepairByHand(byHand.wstring(), told), 0u) << Narrow(told);
    driver::Program again =
        driver::Program::Start(driver::ProductFolder() + L"telvane.exe", L"", driver::ProductFolder());
    ASSERT_TRUE(again);
    HWND box = driver::WaitForMessageBox(L"Telvane Message", kStartTimeoutMs, again.Id());
    ASSERT_NE(box, nullptr) << "no word of the repair";
    const std::wstring text = driver::MessageBoxText(box);
    std::printf("after the new start: %s\n", Narrow(text).c_str());
    EXPECT_EQ(text.rfind(L"The recording 'Bob.wmv' was interrupted at 00:00:1", 0), 0u) << Narrow(text);
    EXPECT_NE(text.find(L". It has been repaired and is in the recordings list."), std::wstring::npos);
    EXPECT_TRUE(driver::PressButton(box, IDOK));
    run.program = std::move(again);
    ASSERT_TRUE(driver::PollUntil(kStartTimeoutMs, [&] {
        run.recorder = driver::FindTopWindow(L"Quorra", run.program.Id(), driver::kDialogClass);
        return run.recorder != nullptr && driver::IsVisible(run.recorder);
    }));
    EXPECT_FALSE(Exists(JournalFile()));
    // The switch and the start repaired alike, and a second repair finds the file whole.
    EXPECT_EQ(ReadAll(byHand.wstring()), ReadAll(killed[0].wstring()));
    EXPECT_EQ(RepairByHand(byHand.wstring(), told), 0u);
}

// Logging off: the two messages the system sends every top-level window, as
// Wine's "wineboot --end-session" does (which also ends this test program,
// a process with windows). When the second returns, the system may end the
// recorder: its recording must be finished by then.
void EndTheSession(const Started& run) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(run.recorder, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 20000,
                                      &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    ASSERT_TRUE(
        ::SendMessageTimeoutW(run.recorder, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 20000, &answer));
    EXPECT_FALSE(Exists(JournalFile()));
}

// Where the small disk is mounted for a case, on the Linux side.
constexpr char kSmallDiskMount[] = "/tmp/telvane-small-disk";

// A 60 MB disk as drive R: with the folder "Calls" (a tmpfs and a link in
// the prefix's dosdevices); false when the mount failed.
bool MountSmallDisk() {
    const std::string out =
        RunShell(std::string("mkdir -p ") + kSmallDiskMount + " && mount -t tmpfs -o size=60m tmpfs " +
                 kSmallDiskMount + " && mkdir " + kSmallDiskMount + "/Calls && ln -sfn " + kSmallDiskMount +
                 " \\\"$WINEPREFIX/dosdevices/r:\\\" && echo mounted");
    return out.find("mounted") != std::string::npos;
}

void UnmountSmallDisk() {
    RunShell(std::string("rm -f \\\"$WINEPREFIX/dosdevices/r:\\\"; umount ") + kSmallDiskMount + "; rmdir " +
             kSmallDiskMount);
}

// Free bytes on a drive; 0 when it cannot be told.
ULONGLONG FreeBytes(const std::wstring& root) {
    ULARGE_INTEGER available{};
    return ::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) ? available.QuadPart : 0;
}

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

// After a stop of its own the session is idle: once the full disk has room
// again, a next recording into the same folder starts, records and stops.
// (The folder is the same: the recorder keeps its settings in memory and
// writes them back while it follows the call window, so an edit of the
// file would not reach it; the settings window's folder picker is the
// user's way.)
void RecordAgain(const Started& run, const std::filesystem::path& folder) {
    ::PostMessageW(run.recorder, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, 'Z'));
    ASSERT_TRUE(driver::PollUntil(20000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; }))
        << Narrow(driver::GetControlText(run.recorder, kStatus));
    WaitSeconds(3);
    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    EXPECT_TRUE(driver::PollUntil(
        15000, [&] { return driver::GetControlText(run.recorder, kStatus).rfind(L"Recording Stopped: ", 0) == 0; }));
    const std::vector<std::filesystem::path> found = Recordings(folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(found[0]), 1000000u);
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
    // "(1)": the call window is recorded from its own surface, behind others.
    const auto hide = c.settings.find("HideWindow");
    const std::wstring tracking = hide != c.settings.end() && hide->second == "1" ? L"Bob (1)" : L"Bob (0)";
    EXPECT_TRUE(driver::PollUntil(10000, [&] { return driver::GetControlText(run.recorder, kStatus) == tracking; }))
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
    double faultAt = 0;
    if (c.fault) {
        at(c.faultAtS);
        c.fault(bob);
        faultAt = CounterSeconds() - started;
        std::wstring status;
        EXPECT_TRUE(c.faultStatus.empty() ||
                    driver::PollUntil(3000,
                                      [&] {
                                          status = driver::GetControlText(run.recorder, kStatus);
                                          return status.find(c.faultStatus) != std::wstring::npos;
                                      }))
            << Narrow(status);
    }
    if (c.fullDisk.empty()) {
        at(c.firstRunS / 2);
        driver::SaveScreenshot(nullptr, (out / L"desktop.png").wstring());
    } else {
        // The disk fills; within 3 s the recorder has stopped and says so.
        double filledAt = 0, boxAt = 0;
        HWND box = nullptr;
        driver::PollUntil(static_cast<DWORD>(c.firstRunS * 1000), [&] {
            if (!filledAt && FreeBytes(c.fullDisk) < 1024 * 1024) filledAt = CounterSeconds() - started;
            box = driver::FindTopWindow(L"Telvane Message");
            return box != nullptr;
        });
        boxAt = CounterSeconds() - started;
        ASSERT_NE(box, nullptr) << "no box after the disk filled: "
                                << Narrow(driver::GetControlText(run.recorder, kStatus));
        driver::Settle(300);
        const std::wstring text = driver::MessageBoxText(box);
        std::printf("the disk filled %.1f s in, the recorder's box came %.1f s later: %s\n", filledAt, boxAt - filledAt,
                    Narrow(text).c_str());
        EXPECT_GT(filledAt, 0.0);
        EXPECT_LE(boxAt - filledAt, 3.0);
        EXPECT_EQ(text.rfind(c.fullDiskBox, 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(L" is saved in " + c.fullDisk + L"Bob.wmv."), std::wstring::npos) << Narrow(text);
        EXPECT_TRUE(driver::PressButton(box, IDOK));
    }
    if (c.fullDisk.empty()) at(c.firstRunS);
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
    double endedAt = 0;
    if (c.ending == CallCase::Ending::Kill) {
        endedAt = CounterSeconds() - started;
        KillAndStartAgain(run, folder, out / L"by_hand.wmv");
        if (::testing::Test::HasFatalFailure()) return;
    } else if (c.ending == CallCase::Ending::EndSession) {
        EndTheSession(run);
        endedAt = CounterSeconds() - started;
    } else if (c.fullDisk.empty()) {
        ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    }
    std::wstring status;
    if (c.ending != CallCase::Ending::Kill) {
        EXPECT_TRUE(driver::PollUntil(15000, [&] {
            status = driver::GetControlText(run.recorder, kStatus);
            return status.rfind(L"Recording Stopped: ", 0) == 0;
        })) << Narrow(status);
        // The writer on the full disk could not finish its file and said so
        // to the stop: the note stays, so that the next start looks at it.
        EXPECT_EQ(Exists(JournalFile()), !c.fullDisk.empty());
    }
    EXPECT_EQ(driver::GetControlText(run.recorder, kRecord), L"RECORD");
    const std::vector<Notification> received = clock.Received();
    if (!c.fullDisk.empty()) {
        const std::vector<std::filesystem::path> full = Recordings(c.fullDisk);
        ASSERT_EQ(full.size(), 1u);
        EXPECT_EQ(full[0].filename().wstring(), L"Bob.wmv");
        std::filesystem::copy_file(full[0], out / L"call.wmv");
        std::filesystem::remove(full[0]);
        RecordAgain(run, c.fullDisk);
        EXPECT_FALSE(Exists(JournalFile()));
    }
    EXPECT_EQ(CloseRecorder(run), 0u);
    EndProgram(call, bob);
    if (c.device) winetest::RemoveTestAudioDevices();

    // A killed recorder tells the end of nothing: its file holds what ran
    // until the kill.
    const bool killed = c.ending == CallCase::Ending::Kill;
    const double ran = killed ? endedAt : GraphRunningSeconds(received);
    std::printf("the graph ran %.3f s (%zu notifications)\n", ran, received.size());
    if (!killed) {
        EXPECT_EQ(received.size(), c.pauseS > 0 ? 10u : 5u);
    }
    if (c.fullDisk.empty()) {
        const std::vector<std::filesystem::path> found = Recordings(folder);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].filename().wstring(), L"Bob.wmv");
        std::filesystem::copy_file(found[0], out / L"call.wmv");
    }
    std::ofstream times(out / L"times.json");
    char text[256];
    std::snprintf(text, sizeof text, "{\"ran\": %.3f, \"pause\": %.1f, \"gap\": %.1f, \"fault\": %.3f, \"fps\": 30}\n",
                  ran, c.pauseS, c.gapAtS > 0 ? c.gapS : 0.0, faultAt);
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

// A headset plugged in 8 s into the call: it becomes the default output and
// the speakers are gone. PulseAudio moves the call's stream to it, where
// Wine's stream plays nothing more; the call program, told of the new
// default, opens it, as call programs do when the output changes. The remote voice
// goes on from the headset. Wine learns of a process's endpoints when it
// starts, so the headset's sink is there before the recorder starts, as a
// headset Windows knows from before is.
TEST(CallRecording, HeadsetPluggedIn) {
    LoadSink("headset", "Headset");
    CallCase c = Case("headset", {}, 16, 0, 0, 0, 0, true);
    c.faultAtS = 8;
    c.fault = [](HWND) {
        RunShell(
            "pactl set-default-sink headset; pactl unload-module $(pactl list short modules | awk '$2 == "
            "\\\"module-null-sink\\\" && $3 == \\\"sink_name=speakers\\\" { print $1 }')");
    };
    Record(c);
    UnloadSink("headset");
    LoadSink("speakers", "Speakers");
}

// A background recording of the call, its window moved 100 px right and
// 50 px down halfway: the frame follows the window, whose frame numbers stay
// whole in the picture.
TEST(CallRecording, BackgroundCaptureFollowsAMovedCall) {
    CallCase c = Case("background_moved", {{"HideWindow", "1"}}, 12, 0, 0, 0, 0, true);
    c.faultAtS = 6;
    c.fault = [](HWND call) {
        const RECT r = driver::WindowRect(call);
        ::SetWindowPos(call, nullptr, r.left + 100, r.top + 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    Record(c);
}

// The microphone pulled out 6 s in, and the local voice with it: the call's
// own voice goes on, the status says that the microphone is gone, and STOP
// stops at the first click.
TEST(CallRecording, MicrophonePulledOut) {
    CallCase c = Case("microphone_gone", {}, 12, 0, 0, 0, 0, true);
    c.faultAtS = 6;
    c.fault = [](HWND) {
        RunShell("kill $TELVANE_MIC_VOICE_PID");
        UnloadSink("micsink");
    };
    c.faultStatus = L"Microphone disconnected \u2014 recording the call audio only";
    Record(c);
    LoadSink("micsink", "Microphone");
}

// The recordings folder on a 60 MB disk, which the picture fills in a few
// seconds.
TEST(CallRecording, DiskFull) {
    ASSERT_TRUE(MountSmallDisk());
    CallCase c = Case("disk_full", {{"Recording Folder", "R:\\Calls"}}, 30, 0, 0, 0, 0, true);
    c.fullDisk = L"R:\\Calls\\";
    c.fullDiskBox = L"Recording stopped: the disk is full (R:\\Calls\\). The recording up to ";
    Record(c);
    UnmountSmallDisk();
}

// The recorder killed 12 s into the call, as a crash or a power cut ends it:
// the next start repairs the file, which then plays and seeks.
TEST(CallRecording, KilledAndRepairedAtTheNextStart) {
    CallCase c = Case("killed", {}, 12, 0, 0, 0, 0, true);
    c.ending = CallCase::Ending::Kill;
    Record(c);
}

// Logging off during the call: the recording ends as a complete file.
TEST(CallRecording, EndOfTheWindowsSession) {
    CallCase c = Case("session_end", {}, 8, 0, 0, 0, 0, true);
    c.ending = CallCase::Ending::EndSession;
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
