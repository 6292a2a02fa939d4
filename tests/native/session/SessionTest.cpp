#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "app/services/Environment.h"
#include "app/session/RecordingSession.h"
#include "app/session/VideoOnlyChoice.h"
#include "graph/RecordingOutput.h"
#include "settings/HotkeyText.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"
#include "tests/native/session/SessionFakes.h"
#include "tests/native/settings/FakeSettingsSystem.h"

namespace {

// The program's own display text, as the program wires it.
std::wstring HotkeyText(const wchar_t* hotkey) {
    std::wstring display;
    HotkeyDisplayText(hotkey, display);
    return display;
}

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
        : graph(log, platform.clock), ui(log), platform(log), peers(log), session(graph, ui, platform, peers) {
        graph.outputPath = &session.State().OutputPath;
        session.SetHotkeyDisplayText(&HotkeyText);
    }

    void SetUp() override {
        Settings = SettingsRecord{};
        Settings.ShowVideo = 1;
        Settings.VistaAudio = 1;
        CopyText(Settings.Hotkey, L"SHIFT+90");
        SetLimit(0);
        Env() = Environment{};
        Env().VistaOrLater = true;
        Env().NotWindows7 = true;
        folder = std::filesystem::path(::testing::TempDir()) /
                 ("session-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        peers.folder = folder;
        ClearVideoOnlyChoice();
    }
    void TearDown() override {
        SetSettingsSystem(nullptr);
        std::filesystem::remove_all(folder);
    }

    void SetLimit(int seconds) {
        Settings.MaxFileTime = seconds;
        DurationText[0] = L'\0';
        if (seconds > 0) FormatDuration(seconds);
    }
    // Moves the clock one second and runs a tick. While `writing`, the
    // writer adds a few bytes to a file it has begun, as a running one does.
    void Tick() {
        platform.clock += kTicksPerSecond;
        platform.monotonic += kTicksPerSecond;
        const std::filesystem::path file(session.State().OutputPath);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file, error);
        if (writing && !error && size > 0 && session.State().PauseState == kRunning) Grow(size + 10);
        session.RecordingTick();
    }
    void Grow(std::uintmax_t bytes) {
        std::filesystem::resize_file(std::filesystem::path(session.State().OutputPath), bytes);
    }
    void StartRecording() {
        session.ToggleRecording();
        ASSERT_TRUE(session.State().Recording);
    }
    const std::wstring& Status() const { return session.State().StatusText; }

    SessionLog log;
    FakeGraph graph;
    FakeUi ui;
    FakePlatform platform;
    FakePeers peers;
    RecordingSession session;
    std::filesystem::path folder;
    bool writing = true;
};

TEST_F(SessionTest, StartRecordsIntoTheFileAndShowsItsSize) {
    StartRecording();
    EXPECT_EQ(ui.buttonText, L"STOP");
    ASSERT_GE(ui.statuses.size(), 2u);
    EXPECT_EQ(ui.statuses[0], L"Initialize recording...");
    EXPECT_EQ(ui.statuses.back(), L"Call 1.wmv");
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_EQ(log.Count("peers.EndTracking"), 1);
    EXPECT_EQ(platform.waitedMs, 1000u);  // the pause after the silence helper
    EXPECT_TRUE(std::filesystem::exists(folder / "Call 1.wmv"));

    Grow(1572864);  // 1.5 MB
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(Status(), L"Recording: 1.50 MB  00:00:05");
    EXPECT_EQ(ui.statuses.back(), Status());
}

TEST_F(SessionTest, StatusShowsTheLimitWhenThereIsOne) {
    SetLimit(3600);
    StartRecording();
    Grow(5 * 1048576 + 1048576 / 4);
    Tick();
    EXPECT_EQ(Status(), L"Recording: 5.25 MB  00:00:01/01:00:00");
}

TEST_F(SessionTest, PauseDoesNotCountTowardsTheLimit) {
    SetLimit(60);
    StartRecording();
    const std::int64_t start = platform.clock;
    Grow(1000);
    for (int i = 0; i < 10; ++i) Tick();

    session.TogglePause();
    Tick();  // carries out the pause
    EXPECT_EQ(log.Count("graph.Pause"), 1);
    for (int i = 0; i < 30; ++i) Tick();
    EXPECT_EQ(Status(), L"Paused: 0.00 MB, 00:00:10/00:01:00");
    session.TogglePause();
    Tick();  // carries out the resume
    EXPECT_EQ(log.Count("graph.Run"), 1);

    int ticks = 0;
    while (session.State().Recording && ticks < 200) {
        Tick();
        ++ticks;
    }
    ASSERT_FALSE(session.State().Recording);
    // 60 s of recording: the 30 ticks spent paused are added to the limit;
    // the pause and resume ticks themselves count as recording.
    const std::int64_t stoppedAfter = (platform.clock - start) / kTicksPerSecond;
    EXPECT_EQ(session.State().PausedTime, 30 * kTicksPerSecond);
    EXPECT_EQ(stoppedAfter, 90);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{L"Recording Stopped. File time exceeded"});
    EXPECT_EQ(ui.title, L"Telvane");
    EXPECT_EQ(platform.sounds, std::vector<std::wstring>{L".\\ding.wav"});
    EXPECT_EQ(ui.buttonText, L"RECORD");
}

TEST_F(SessionTest, NoLimitMeansNoLimitPartAndNoStop) {
    StartRecording();
    Grow(2048);
    for (int i = 0; i < 100; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_EQ(Status(), L"Recording: 0.00 MB  00:01:40");
}

TEST_F(SessionTest, ASecondToggleDuringTheWaitsIsIgnored) {
    platform.duringWait = [this] { session.ToggleRecording(); };
    StartRecording();
    EXPECT_EQ(log.Count("graph.Start"), 1);
    platform.duringWait = nullptr;
    session.ToggleRecording();  // now it stops
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(log.Count("graph.Stop"), 1);
}

TEST_F(SessionTest, HotkeyStopDuringAPauseWaitsForTheResume) {
    StartRecording();
    Grow(10);
    session.TogglePause();
    Tick();
    session.State().StopRequested = true;
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    session.TogglePause();
    Tick();  // resume
    EXPECT_TRUE(session.State().Recording);
    Tick();  // now the request is carried out
    EXPECT_FALSE(session.State().Recording);
    EXPECT_FALSE(session.State().StopRequested);
}

TEST_F(SessionTest, ThirtyEmptyTicksOfOneRecordingStopItAndCloseTheProgram) {
    // An earlier recording's empty ticks do not count.
    StartRecording();
    for (int i = 0; i < 20; ++i) Tick();
    session.ToggleRecording();
    EXPECT_TRUE(session.PostStopReport());
    StartRecording();
    for (int i = 0; i < 29; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    // Growth breaks the run; a fresh run of 29 is still fine.
    Grow(100);
    Tick();
    Grow(0);
    for (int i = 0; i < 29; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_TRUE(platform.messages.empty());

    Tick();  // the thirtieth in a row
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{L"Recording error (x013). Telvane will close now"});
    EXPECT_EQ(log.Count("peers.CloseProgram"), 1);
}

TEST_F(SessionTest, UnreadableFileShowsNoSizeAndNeverTripsTheWatchdog) {
    platform.probeOpens = false;
    StartRecording();
    for (int i = 0; i < 40; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_EQ(Status(), L"Recording: 0.00 MB  00:00:40");
    EXPECT_EQ(log.Count("probe.Open"), 1);  // tried once per recording
}

TEST_F(SessionTest, PostStopReportGivesTheFinalSizeOnce) {
    ui.large = true;
    StartRecording();
    EXPECT_EQ(ui.menus, std::vector<RecorderMenu>{RecorderMenu::RecordingWithBackground});
    Grow(3 * 1048576);
    Tick();
    session.ToggleRecording();
    EXPECT_EQ(Status(), L"Stopping. Please wait...");
    EXPECT_TRUE(session.PostStopReport());
    EXPECT_EQ(Status(), L"Recording Stopped: 3.00 MB");
    EXPECT_EQ(ui.statuses.back(), L"Recording Stopped: 3.00 MB");
    EXPECT_EQ(ui.menus.back(), RecorderMenu::Idle);
    EXPECT_EQ(log.Count("peers.StartTracking"), 1);
    EXPECT_FALSE(session.PostStopReport());
}

TEST_F(SessionTest, OverlapWarningNamesTheHotkeyAndNoKeepsIdle) {
    ui.hasRecorder = true;
    ui.recorderRect = {100, 100, 400, 300};
    Settings.xTop = 300;
    Settings.yTop = 200;
    Settings.xBottom = 800;
    Settings.yBottom = 600;
    platform.answer = 7;
    session.ToggleRecording();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(log.Count("graph.Start"), 0);
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_EQ(platform.messages,
              std::vector<std::wstring>{L"Telvane window overlaps the recording area. You can use the hotkey (SHIFT+Z) "
                                        L"to start/stop recording and hide the Telvane.\n\nContinue anyway?"});

    // Without a "+" in the hotkey there is no warning; Windows 7 with the
    // Basic theme does not warn either.
    platform.messages.clear();
    CopyText(Settings.Hotkey, L"none");
    StartRecording();
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SessionTest, HotkeyStartSkipsTheWarningAndHidesTheWindow) {
    ui.hasRecorder = true;
    ui.recorderRect = {0, 0, 2000, 2000};
    Settings.xBottom = 800;
    Settings.yBottom = 600;
    session.State().HotkeyStarted = true;
    session.State().StartRequested = true;
    Tick();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(log.Count("ui.Hide"), 1);
    EXPECT_FALSE(session.State().HotkeyStarted);
}

TEST_F(SessionTest, DualAudioWithoutASecondSourceStartsNothing) {
    Settings.DualAudio = 1;
    session.ToggleRecording();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{L"No second audio source specified for dual audio. Open "
                                                           L"Audio Setup and select a Microphone or Line In."});
    // A second source that fails its check opens the audio setup instead.
    CopyText(Settings.AudioSource1, L"USB Mic");
    CopyText(Settings.AudioOutput1, L"Capture");
    peers.secondSourceOk = false;
    session.ToggleRecording();
    EXPECT_EQ(log.Count("peers.OpenAudioSetup"), 1);
    EXPECT_FALSE(session.State().Recording);
}

TEST_F(SessionTest, FailuresToStartReturnToIdleWithTheTickRunning) {
    peers.nameOk = false;
    session.ToggleRecording();
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{L"Failed to setup recording file name"});
    EXPECT_TRUE(ui.timerRunning);

    peers.nameOk = true;
    graph.startSucceeds = false;
    session.State().HotkeyStarted = true;
    session.ToggleRecording();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_FALSE(session.State().HotkeyStarted);
    EXPECT_EQ(log.Count("graph.Reset"), 1);
    EXPECT_EQ(ui.buttonText, L"RECORD");
    EXPECT_TRUE(ui.timerRunning);
}

TEST_F(SessionTest, SilenceHelperIsStartedAndWaitedFor) {
    platform.silenceRuns = false;
    platform.silenceAppearsAfterWaits = 3;
    session.StartSilenceHelper();
    EXPECT_EQ(platform.waitedMs, 3000u);
    EXPECT_TRUE(platform.messages.empty());

    FakePlatform never(log);
    never.silenceRuns = false;
    never.silenceAppearsAfterWaits = 1000;
    RecordingSession other(graph, ui, never, peers);
    other.StartSilenceHelper();
    EXPECT_EQ(never.waitedMs, 20000u);
    EXPECT_EQ(never.messages, std::vector<std::wstring>{L"File zvsln.exe could not be found or open"});

    FakePlatform refused(log);
    refused.silenceRuns = false;
    refused.shellStarts = false;
    RecordingSession third(graph, ui, refused, peers);
    third.StartSilenceHelper();
    EXPECT_EQ(refused.waitedMs, 0u);
    EXPECT_EQ(refused.messages, std::vector<std::wstring>{L"File zvsln.exe could not be found or open"});

    Settings.VistaAudio = 0;  // no helper without the Vista audio path
    const int before = log.Count("shell.StartHidden");
    third.StartSilenceHelper();
    EXPECT_EQ(log.Count("shell.StartHidden"), before);
}

// The ways a running recording is stopped, each brought about as the user
// or the tick does it.
enum class StopBy { Click, Hotkey, TimeLimit, EmptyFile };

struct StopCase {
    const char* name;
    StopBy by;
    std::vector<std::wstring> messages;  // what the stop shows
    int closes;                          // program exits it asks for
};

const StopCase kStops[] = {
    {"Click", StopBy::Click, {}, 0},
    {"Hotkey", StopBy::Hotkey, {}, 0},
    {"TimeLimit", StopBy::TimeLimit, {L"Recording Stopped. File time exceeded"}, 0},
    {"EmptyFile", StopBy::EmptyFile, {L"Recording error (x013). Telvane will close now"}, 1},
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

// The second parameter: for SecondSourceGone, whether the microphone's name
// was lost (else its check fails); for StopBlocked, whether a toggle is
// already under way (else a motion search runs).
class StopTest : public SessionTest, public ::testing::WithParamInterface<std::tuple<StopCase, bool>> {
protected:
    const StopCase& Case() const { return std::get<0>(GetParam()); }
    bool Variant() const { return std::get<1>(GetParam()); }

    // A 3-second limit for the time limit; a file that grows unless the
    // empty-file watchdog is to trip.
    void StartForCase() {
        if (Case().by == StopBy::TimeLimit) SetLimit(3);
        StartRecording();
        if (Case().by != StopBy::EmptyFile) Grow(4096);
    }
    // The click itself, or the ticks up to the one that carries the stop out.
    void Trigger() {
        switch (Case().by) {
            case StopBy::Click:
                session.ToggleRecording();
                break;
            case StopBy::Hotkey:
                ASSERT_EQ(session.OnHotkey(), 10);
                Tick();
                break;
            case StopBy::TimeLimit:
                for (int i = 0; i < 3; ++i) Tick();
                break;
            case StopBy::EmptyFile:
                for (int i = 0; i < kZeroSizeTickLimit; ++i) Tick();
                break;
        }
    }
    void ExpectStopped() {
        EXPECT_FALSE(session.State().Recording);
        EXPECT_EQ(log.Count("graph.Stop"), 1);
        EXPECT_EQ(log.Count("peers.CloseProgram"), Case().closes);
        EXPECT_TRUE(ui.timerRunning);
        EXPECT_EQ(ui.buttonText, L"RECORD");
        EXPECT_EQ(platform.messages, Case().messages);
    }
};

// "Click_NameLost", "Hotkey_MotionSearch", ...
auto StopCaseNames(const char* variant, const char* otherwise) {
    return [variant, otherwise](const ::testing::TestParamInfo<std::tuple<StopCase, bool>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + (std::get<1>(info.param) ? variant : otherwise);
    };
}

using SecondSourceGone = StopTest;
using StopBlocked = StopTest;

TEST_P(SecondSourceGone, TheStopStillStops) {
    // Dual audio with the only microphone unplugged during the recording.
    Settings.DualAudio = 1;
    CopyText(Settings.AudioSource1, L"USB Mic");
    CopyText(Settings.AudioOutput1, L"Capture");
    StartForCase();
    if (Variant())
        Settings.AudioSource1[0] = L'\0';
    else
        peers.secondSourceOk = false;

    Trigger();
    ExpectStopped();
    EXPECT_EQ(log.Count("peers.OpenAudioSetup"), 0);
}

TEST_P(StopBlocked, TheTickGoesOnAndTheNextChanceStops) {
    StartForCase();
    if (Variant())
        session.State().ToggleBusy = true;
    else
        peers.searching = true;

    Trigger();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_EQ(log.Count("graph.Stop"), 0);
    EXPECT_EQ(log.Count("peers.CloseProgram"), 0);
    EXPECT_TRUE(platform.messages.empty());

    session.State().ToggleBusy = false;
    peers.searching = false;
    if (Case().by == StopBy::Click)
        session.ToggleRecording();
    else
        Tick();
    ExpectStopped();
}

INSTANTIATE_TEST_SUITE_P(Stops, SecondSourceGone, ::testing::Combine(::testing::ValuesIn(kStops), ::testing::Bool()),
                         StopCaseNames("NameLost", "CheckFails"));
INSTANTIATE_TEST_SUITE_P(Stops, StopBlocked, ::testing::Combine(::testing::ValuesIn(kStops), ::testing::Bool()),
                         StopCaseNames("ToggleUnderWay", "MotionSearch"));

TEST_F(SessionTest, VideoOnlyAnswerHoldsForItsRecordingAndNeverReachesTheSettingsFile) {
    struct Case {
        const char* name;
        int setting;       // "Video Only" as the user set it
        bool asked;        // each recording's build asks the question
        const char* line;  // the settings file's line, during the recording and after
    };
    const std::vector<Case> cases = {
        {"NotSet", 0, true, "\r\nVideo Only: 0\r\n"},
        {"Set", 1, false, "\r\nVideo Only: 1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsSystem files;
        SetSettingsSystem(&files);
        ASSERT_TRUE(PrepareSettingsFolder());
        const std::wstring path(TextOf(SettingsPath));
        Settings.VideoOnly = c.setting;
        // As the build does with a missing audio device: the question only
        // when the recording is to have sound, and the user answers Yes.
        std::vector<bool> asked;
        graph.duringStart = [&asked] {
            asked.push_back(!RecordingVideoOnly());
            if (!RecordingVideoOnly()) ChooseVideoOnlyForThisRecording();
        };
        for (int recording = 0; recording < 2; ++recording) {
            StartRecording();
            // An option changed while the recording runs writes the file and
            // reads it back; the recording stays without sound.
            ASSERT_EQ(WriteSettings(), 1);
            EXPECT_NE(files.ReadBytes(path).find(c.line), std::string::npos);
            ASSERT_EQ(ReadSettings(), 1);
            EXPECT_TRUE(RecordingVideoOnly());
            Tick();
            session.ToggleRecording();
            ASSERT_FALSE(session.State().Recording);
            EXPECT_TRUE(session.PostStopReport());
            // The tracking's write once the call window moves again.
            ASSERT_EQ(WriteSettings(), 1);
            EXPECT_NE(files.ReadBytes(path).find(c.line), std::string::npos);
            EXPECT_EQ(Settings.VideoOnly, c.setting);
        }
        EXPECT_EQ(asked, std::vector<bool>(2, c.asked));
    }
}

TEST(SessionText, ElapsedTimeWrapsAfterADayAndSizesHaveTwoDecimals) {
    EXPECT_EQ(TimeOfDayText((25LL * 3600 + 5) * kTicksPerSecond), L"01:00:05");
    EXPECT_EQ(TimeOfDayText(0), L"00:00:00");
    EXPECT_EQ(TimeOfDayText(-5), L"00:00:00");
    EXPECT_EQ(MegabytesText(0), L"0.00");
    EXPECT_EQ(MegabytesText(1048576ULL * 1024 * 5), L"5120.00");
    EXPECT_EQ(MegabytesText(1048575), L"1.00");
}

}  // namespace

namespace {

TEST_F(SessionTest, HotkeyRequestsAStartThenAStopWithTheLockouts) {
    EXPECT_EQ(session.OnHotkey(), 5);
    EXPECT_EQ(ui.statuses.back(), L"Initialize recording...");
    EXPECT_TRUE(session.State().StartRequested);
    EXPECT_TRUE(session.State().HotkeyStarted);
    EXPECT_EQ(session.OnHotkey(), 0);  // locked out: ignored
    Tick();
    EXPECT_TRUE(session.State().Recording);

    session.State().HotkeyLockout = false;  // what the worker does after 5 s
    EXPECT_EQ(session.OnHotkey(), 10);
    EXPECT_TRUE(session.State().StopRequested);
    Tick();
    EXPECT_FALSE(session.State().Recording);
}

}  // namespace

namespace {

struct FaultCase {
    const char* name;
    std::vector<GraphEvent> events;  // what the graph reports at the third tick
    bool diskFull;                   // what the output's disk says then
    std::wstring what;               // the box's account of it; empty: the recording goes on
};

const FaultCase kFaults[] = {
    {"DiskFullError", {{kEventErrorAbort, static_cast<std::int32_t>(0x80070070), 0}}, false, L"the disk is full (F)"},
    {"WriteFaultOnAFullDisk",
     {{kEventErrorAbort, static_cast<std::int32_t>(0x8007001D), 0}},
     true,
     L"the disk is full (F)"},
    {"WriteFault",
     {{kEventErrorAbort, static_cast<std::int32_t>(0x8007001D), 0}},
     false,
     L"the file could not be written (error 0x8007001D)"},
    {"FilterError",
     {{kEventErrorAbortEx, static_cast<std::int32_t>(0x80004005), 0}},
     false,
     L"the recording failed (error 0x80004005)"},
    {"UserAbort", {{kEventUserAbort, 0, 0}}, false, L"the recording was aborted"},
    {"DeviceLost", {{kEventDeviceLost, 0, 0}}, false, L"a capture device was disconnected"},
    {"EveryStreamEnded", {{kEventComplete, 0, 0}}, false, L"the picture and the sound ended"},
    // The first fatal event is the one the box tells of.
    {"FirstOfTwo",
     {{0x0D, 0, 0}, {kEventUserAbort, 0, 0}, {kEventErrorAbort, static_cast<std::int32_t>(0x80070070), 0}},
     false,
     L"the recording was aborted"},
    {"DeviceBack", {{kEventDeviceLost, 0, 1}}, false, L""},
    {"StreamErrorStillPlaying", {{0x07, static_cast<std::int32_t>(0x80004005), 0}}, true, L""},
    {"MicrophoneNews", {{kEventAudioDevice, kFlowMicrophone, 0}}, true, L""},
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class GraphFaults : public SessionTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    // The message with the test's folder and file in place of F and P.
    std::wstring Expected(const std::wstring& what, const std::wstring& recorded) {
        std::wstring text = what;
        const std::wstring folderText = (folder / "").wstring();
        if (text.size() > 3 && text.compare(text.size() - 3, 3, L"(F)") == 0)
            text.replace(text.size() - 2, 1, folderText);
        return L"Recording stopped: " + text + L". The recording up to " + recorded + L" is saved in " +
               (folder / "Call 1.wmv").wstring() + L".";
    }
};

}  // namespace

TEST_P(GraphFaults, AFatalEventStopsTheRecordingAndSaysWhyAndWhere) {
    const FaultCase& c = GetParam();
    StartRecording();
    Grow(4096);
    Tick();
    Tick();
    graph.events = c.events;
    platform.diskFull = c.diskFull;
    Tick();
    if (c.what.empty()) {
        EXPECT_TRUE(session.State().Recording);
        EXPECT_EQ(log.Count("graph.Stop"), 0);
        EXPECT_TRUE(platform.messages.empty());
        return;
    }
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(log.Count("graph.Stop"), 1);
    EXPECT_TRUE(ui.timerRunning);
    EXPECT_EQ(ui.buttonText, L"RECORD");
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{Expected(c.what, L"00:00:03")});
    EXPECT_EQ(log.Count("peers.CloseProgram"), 0);

    // Idle afterwards: the report, and a next recording that goes on.
    EXPECT_TRUE(session.PostStopReport());
    EXPECT_EQ(Status(), L"Recording Stopped: 0.00 MB");
    platform.diskFull = false;
    StartRecording();
    Grow(4096);
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_TRUE(session.State().Recording);
    EXPECT_EQ(platform.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Events, GraphFaults, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST_F(SessionTest, AFileThatStopsGrowingStopsTheRecordingAfterFiveRunningTicks) {
    StartRecording();
    Grow(4096);
    Tick();
    Tick();  // has grown since its first measurement
    writing = false;
    session.TogglePause();
    for (int i = 0; i < 10; ++i) Tick();  // paused ticks do not count
    session.TogglePause();
    for (int i = 0; i < 5; ++i) Tick();  // the resume tick and four running ticks
    EXPECT_TRUE(session.State().Recording);
    Tick();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages,
              std::vector<std::wstring>{L"Recording stopped: nothing more was written to the file. The recording up "
                                        L"to 00:00:09 is saved in " +
                                        (folder / "Call 1.wmv").wstring() + L"."});
}

TEST_F(SessionTest, AFileThatNeverGrewPastItsFirstSizeHasTheEmptyFilesThirtyTicks) {
    writing = false;
    StartRecording();
    Grow(4096);
    for (int i = 0; i < kZeroSizeTickLimit; ++i) Tick();  // the first measures it
    EXPECT_TRUE(session.State().Recording);
    Tick();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(SessionTest, AStopTheGraphRefusesIsReported) {
    StartRecording();
    Grow(4096);
    graph.stopResult = static_cast<std::int32_t>(0x80004005);
    session.ToggleRecording();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{
                                     L"The recording could not be stopped cleanly (error 0x80004005). It is saved in " +
                                     (folder / "Call 1.wmv").wstring() + L", but it may not play to its end."});
}

TEST_F(SessionTest, TheStatusLineTellsOfTheAudioDevicesTheFilterLostAndFound) {
    StartRecording();
    Grow(4096);
    const std::wstring mic = L"  Microphone disconnected \u2014 recording the call audio only";
    const std::wstring both = L"  Audio devices disconnected \u2014 waiting for a device";
    const std::wstring speakers = L"  Speakers disconnected \u2014 waiting for a device";
    // A loss stays five ticks after its device came back, and as long as it is gone.
    const std::vector<std::pair<std::vector<GraphEvent>, std::wstring>> steps = {
        {{{kEventAudioDevice, kFlowMicrophone, 0}, {kEventAudioDevice, kFlowMicrophone, 1}}, mic},
        {{}, mic},
        {{{kEventAudioDevice, kFlowSpeakers, 0}}, both},
        {{}, both},
        {{}, both},
        {{}, speakers},
        {{{kEventAudioDevice, kFlowSpeakers, 1}}, speakers},
        {{}, L""},
    };
    int second = 0;
    for (const auto& [events, note] : steps) {
        graph.events = events;
        Tick();
        EXPECT_EQ(Status(), L"Recording: 0.00 MB  00:00:0" + std::to_wstring(++second) + note);
    }
    EXPECT_TRUE(session.State().Recording);
}

TEST_F(SessionTest, ASilenceHelperGoneDuringARecordingIsStartedAgainEveryFiveTicks) {
    StartRecording();
    Grow(4096);
    const int before = log.Count("shell.StartHidden");
    platform.silenceRuns = false;
    platform.shellStarts = false;  // it does not come back
    for (int i = 0; i < 11; ++i) Tick();
    EXPECT_EQ(log.Count("shell.StartHidden") - before, 2);
    EXPECT_TRUE(session.State().Recording);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SessionTest, AFaultStopThatFailsTooTellsOfTheStopOnlyWhenItIsAnotherError) {
    const std::wstring path = (folder / "Call 1.wmv").wstring();
    const std::wstring stopSentence =
        L"\n\nThe recording could not be stopped cleanly (error 0x8007001F). It is saved in " + path +
        L", but it may not play to its end.";
    // event error, stop error, what follows the fault's sentence
    const std::vector<std::tuple<std::int32_t, std::int32_t, std::wstring>> cases = {
        {static_cast<std::int32_t>(0x80070070), static_cast<std::int32_t>(0x80070070), L""},
        {static_cast<std::int32_t>(0x80070070), static_cast<std::int32_t>(0x80070027), L""},
        {static_cast<std::int32_t>(0x80004005), static_cast<std::int32_t>(0x80004005), L""},
        {static_cast<std::int32_t>(0x80004005), static_cast<std::int32_t>(0x8007001F), stopSentence},
    };
    for (const auto& [eventError, stopError, after] : cases) {
        platform.messages.clear();
        peers.recordings = 0;
        std::filesystem::remove(folder / "Call 1.wmv");
        StartRecording();
        Grow(4096);
        graph.stopResult = stopError;
        graph.events = {{kEventErrorAbort, eventError, 0}};
        Tick();
        ASSERT_EQ(platform.messages.size(), 1u);
        const std::wstring& text = platform.messages[0];
        const size_t end = text.find(L"Call 1.wmv.") + std::wstring(L"Call 1.wmv.").size();
        EXPECT_EQ(text.substr(end), after) << std::hex << eventError << " " << stopError;
    }
}

TEST_F(SessionTest, TheNoteOfTheRecordingInProgressLastsFromItsStartToItsCleanStop) {
    StartRecording();
    EXPECT_EQ(peers.journal, (folder / "Call 1.wmv").wstring());
    session.ToggleRecording();
    EXPECT_TRUE(peers.journal.empty());

    // A stop the graph refused leaves the note: the next start repairs the file.
    StartRecording();
    graph.stopResult = static_cast<std::int32_t>(0x80004005);
    session.ToggleRecording();
    EXPECT_EQ(peers.journal, (folder / "Call 2.wmv").wstring());

    // The end of the Windows session stops a recording as a click does.
    graph.stopResult = 0;
    EXPECT_FALSE(session.StopForSessionEnd());
    StartRecording();
    EXPECT_TRUE(session.StopForSessionEnd());
    EXPECT_FALSE(session.State().Recording);
    EXPECT_TRUE(peers.journal.empty());
}

TEST_F(SessionTest, TheTimeAndTheLimitIgnoreTheWallClockSteppingAnHour) {
    SetLimit(6);
    StartRecording();
    Grow(4096);
    Tick();
    Tick();
    platform.clock -= 3600 * kTicksPerSecond;  // daylight saving ends
    Tick();
    EXPECT_EQ(Status(), L"Recording: 0.00 MB  00:00:03/00:00:06");
    platform.clock += 2 * 3600 * kTicksPerSecond;  // a clock set forward
    Tick();
    EXPECT_EQ(Status(), L"Recording: 0.00 MB  00:00:04/00:00:06");
    EXPECT_TRUE(session.State().Recording);
    Tick();
    Tick();
    EXPECT_FALSE(session.State().Recording);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{L"Recording Stopped. File time exceeded"});
}
