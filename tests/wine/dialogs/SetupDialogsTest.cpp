// The setup dialog and the video settings dialog of the running recorder,
// and the basic-theme helper: what OK writes, the hotkey it registers
// again, the scale check and the rebuild at a new scale, the recording
// boxes, the video dialog's Windows 7 and Windows 10 rules, and the helper
// that lives as long as the window it watches on Windows 7 only.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "audio/AudioTestDlgIds.h"
#include "framework/win/Handles.h"
#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kSettingsButton = 311;
constexpr int kRecordVideo = 1301;
constexpr int kRecordAudio = 1302;
constexpr int kVideoSettings = 1303;
constexpr int kAudioSetup = 1304;
constexpr int kHotkey = 1305;
constexpr int kDuration = 1309;
constexpr int kScale = 1311;
constexpr int kVersionLine = 1315;
constexpr int kBitrate = 1054;
constexpr int kFrameRate = 1055;
constexpr int kBasicBox = 1167;
constexpr int kBackgroundBox = 1169;
constexpr int kTestHotkeyId = 9;
constexpr wchar_t kSetupTitle[] = L"Telvane Settings";
constexpr wchar_t kVideoTitle[] = L"Telvane - Video Settings";
constexpr wchar_t kAudioTitle[] = L"Audio Setup";

// The Windows version Wine reports to one program; empty removes it.
void SetVersionFor(const wchar_t* program, const wchar_t* version) {
    const std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + program;
    if (!version[0]) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    win::RegKey reg;
    ASSERT_EQ(
        ::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, reg.Put(), nullptr),
        ERROR_SUCCESS);
    ::RegSetValueExW(reg.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                     static_cast<DWORD>((std::wcslen(version) + 1) * sizeof(wchar_t)));
}

bool HasLine(const std::string& text, const std::string& line) {
    return text.find("\n" + line + "\r") != std::string::npos || text.find("\n" + line + "\n") != std::string::npos ||
           text.rfind(line, 0) == 0;
}

SIZE SizeOf(HWND window) {
    const RECT r = driver::WindowRect(window);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The width stored in a bitmap file's header; 0 when it cannot be read.
int BitmapWidth(const std::wstring& path) {
    const std::string bytes = ReadAll(path);
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) return 0;
    int width = 0;
    std::memcpy(&width, bytes.data() + 18, sizeof(width));
    return width;
}

class SetupDialogs : public ::testing::Test {
protected:
    void SetUp() override { EndLeftovers(); }
    void TearDown() override {
        ::UnregisterHotKey(nullptr, kTestHotkeyId);
        SetVersionFor(L"telvane.exe", L"");
        SetVersionFor(L"zcbasic.exe", L"");
        EndLeftovers();
        if (HWND helper = driver::FindTopWindow(L"ZBasic")) ::PostMessageW(helper, WM_CLOSE, 0, 0);
    }

    void Start(std::map<std::string, std::string> values = {}) {
        values.insert({{"MiniClone", "1"},
                       {"Size", "100"},
                       {"Hotkey", "SHIFT+90"},
                       {"Max File Time", "0"},
                       {"Audio Only", "0"},
                       {"Video Only", "0"},
                       {"Install", "1"}});
        PrepareSettings(values);
        m_run = StartRecorder();
        ASSERT_NE(m_run.recorder, nullptr);
        WaitForDeferredInit();
    }
    HWND OpenSetup() {
        EXPECT_TRUE(driver::ClickControl(m_run.recorder, kSettingsButton));
        return ShownWindow(kSetupTitle);
    }
    HWND OpenVideo(HWND setup) {
        EXPECT_TRUE(driver::ClickControl(setup, kVideoSettings));
        return ShownWindow(kVideoTitle);
    }
    // A dialog shows once its controls are made and filled.
    HWND ShownWindow(const wchar_t* title) {
        HWND window = driver::WaitForWindow(title, 5000, m_run.program.Id());
        EXPECT_TRUE(driver::PollUntil(5000, [&] { return window && driver::IsVisible(window); })) << Narrow(title);
        return window;
    }
    std::wstring Answer(int button) {
        HWND box = driver::WaitForMessageBox(L"Telvane Message", 5000, m_run.program.Id());
        if (!box) return L"(no message)";
        const std::wstring text = driver::MessageBoxText(box);
        driver::PressButton(box, button);
        return text;
    }

    Started m_run;
};

TEST_F(SetupDialogs, OkWritesTheSettingsAndMovesTheHotkey) {
    Start();
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(driver::GetControlText(setup, kHotkey), L"SHIFT+Z");
    EXPECT_EQ(driver::GetControlText(setup, kDuration), L"");
    EXPECT_EQ(driver::GetControlText(setup, kScale), L"100");
    EXPECT_EQ(driver::GetControlText(setup, kVersionLine), L"Telvane version: 2.4 - 02.27.17");
    EXPECT_TRUE(driver::IsControlChecked(setup, kRecordVideo));
    EXPECT_TRUE(driver::IsControlChecked(setup, kRecordAudio));
    driver::SaveScreenshot(setup, driver::ProgramFolder() + L"setup_dialog.png");

    ASSERT_TRUE(driver::SetControlText(setup, kHotkey, L"alt+q"));
    ASSERT_TRUE(driver::SetControlText(setup, kDuration, L"01:30:00"));
    ASSERT_TRUE(driver::ClickControl(setup, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(kSetupTitle, 3000));
    const std::string settings = ReadAll(SettingsFile());
    EXPECT_TRUE(HasLine(settings, "Hotkey: ALT+81")) << settings;
    EXPECT_TRUE(HasLine(settings, "Max File Time: 5400")) << settings;
    // The recorder holds the new combination and gave the old one back.
    EXPECT_FALSE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_ALT, 'Q'));
    EXPECT_TRUE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_SHIFT, 'Z'));
}

TEST_F(SetupDialogs, OneRecordingBoxStaysCheckedAndAScaleOutsideTheRangeIsRefused) {
    Start();
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(driver::ClickControl(setup, kRecordVideo));
    EXPECT_TRUE(driver::PollUntil(2000, [&] { return !driver::IsControlChecked(setup, kRecordVideo); }));
    ASSERT_TRUE(driver::ClickControl(setup, kRecordAudio));
    EXPECT_TRUE(driver::PollUntil(2000, [&] {
        return driver::IsControlChecked(setup, kRecordVideo) && !driver::IsControlChecked(setup, kRecordAudio);
    }));

    ASSERT_TRUE(driver::SetControlText(setup, kScale, L"251"));
    ASSERT_TRUE(driver::ClickControl(setup, IDOK));
    EXPECT_EQ(Answer(IDOK), L"Scale factor must between 100 and 250");
    EXPECT_NE(driver::FindTopWindow(kSetupTitle, m_run.program.Id()), nullptr);
    // The steps before the scale are stored: video only.
    const std::string settings = ReadAll(SettingsFile());
    EXPECT_TRUE(HasLine(settings, "Video Only: 1")) << settings;
    EXPECT_TRUE(HasLine(settings, "Audio Only: 0")) << settings;
}

TEST_F(SetupDialogs, ANewScaleRebuildsTheRecorderWindowWithTheScaledSkin) {
    Start();
    const SIZE before = SizeOf(m_run.recorder);
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(driver::SetControlText(setup, kScale, L"125"));
    ASSERT_TRUE(driver::ClickControl(setup, IDOK));
    const HWND old = m_run.recorder;
    ASSERT_TRUE(driver::PollUntil(10000, [&] { return !::IsWindow(old); }));
    HWND rebuilt = nullptr;
    ASSERT_TRUE(driver::PollUntil(10000, [&] {
        rebuilt = driver::FindTopWindow(L"Quorra", m_run.program.Id(), driver::kDialogClass);
        return rebuilt != nullptr && driver::IsVisible(rebuilt);
    }));
    m_run.recorder = rebuilt;
    const SIZE after = SizeOf(rebuilt);
    EXPECT_NEAR(after.cx, before.cx * 1.25, 2.0);
    EXPECT_NEAR(after.cy, before.cy * 1.25, 2.0);
    EXPECT_TRUE(HasLine(ReadAll(SettingsFile()), "Size: 125"));
    const int master = BitmapWidth(driver::ProductFolder() + L"bitmap7_100.bmp");
    ASSERT_GT(master, 0);
    EXPECT_NEAR(BitmapWidth(SettingsFolder() + L"\\bitmap7_rsc.bmp"), master * 1.25, 1.0);
    driver::SaveScreenshot(rebuilt, driver::ProgramFolder() + L"recorder_rescaled.png");
    // The rebuilt window still takes the hotkey.
    EXPECT_FALSE(::RegisterHotKey(nullptr, kTestHotkeyId, MOD_SHIFT, 'Z'));
    EXPECT_EQ(CloseRecorder(m_run), 0u);
}

TEST_F(SetupDialogs, VideoSettingsOnWindows10) {
    Start({{"Video Bitrate", "3000"}, {"Frame Rate", "12.50"}, {"HideWindow", "1"}});
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    HWND video = OpenVideo(setup);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(driver::ComboItems(video, kBitrate),
              (std::vector<std::wstring>{L"300", L"700", L"1200", L"3000", L"6000"}));
    EXPECT_EQ(driver::ComboItems(video, kFrameRate), (std::vector<std::wstring>{L"10", L"15", L"20", L"25", L"30"}));
    EXPECT_EQ(driver::GetControlText(video, kBitrate), L"3000");
    EXPECT_EQ(driver::GetControlText(video, kFrameRate), L"");
    EXPECT_FALSE(driver::IsControlEnabled(video, kBasicBox));
    EXPECT_TRUE(driver::IsControlEnabled(video, kBackgroundBox));
    EXPECT_TRUE(driver::IsControlChecked(video, kBackgroundBox));
    driver::SaveScreenshot(video, driver::ProgramFolder() + L"video_settings.png");
    ASSERT_TRUE(driver::ClickControl(video, IDOK));
    ASSERT_TRUE(driver::WaitForWindowGone(kVideoTitle, 3000));
    const std::string settings = ReadAll(SettingsFile());
    EXPECT_TRUE(HasLine(settings, "Video Bitrate: 3000")) << settings;
    EXPECT_TRUE(HasLine(settings, "Frame Rate: 15.00")) << settings;
    EXPECT_TRUE(HasLine(settings, "HideWindow: 1")) << settings;
}

// The video settings and the audio setup are modal over the setup dialog
// that opens them: it is disabled until they close.
TEST_F(SetupDialogs, TheSubDialogsAreModalOverTheSetupDialog) {
    Start();
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    for (const auto& [button, title] : {std::pair{kVideoSettings, kVideoTitle}, std::pair{kAudioSetup, kAudioTitle}}) {
        SCOPED_TRACE(Narrow(title));
        ASSERT_TRUE(driver::ClickControl(setup, button));
        HWND sub = ShownWindow(title);
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(::GetWindow(sub, GW_OWNER), setup);
        EXPECT_FALSE(::IsWindowEnabled(setup));
        ASSERT_TRUE(::PostMessageW(sub, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
        ASSERT_TRUE(driver::WaitForWindowGone(title, 3000));
        EXPECT_TRUE(driver::PollUntil(3000, [&] { return ::IsWindowEnabled(setup) != FALSE; }));
    }
}

// Dual audio, both boxes checked in the audio setup opened from the setup
// dialog: unticking the microphone leaves the lists as they were.
TEST_F(SetupDialogs, UntickingTheMicrophoneBesideTheSpeakersLeavesTheAudioLists) {
    Start({{"VistaAudio", "1"},
           {"Dual Audio", "1"},
           {"Audio Source", "Sonark5"},
           {"Audio Output", "Out"},
           {"Audio Source1", "Microphone"},
           {"Audio Output1", "Capture"}});
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(driver::ClickControl(setup, kAudioSetup));
    HWND audio = ShownWindow(kAudioTitle);
    ASSERT_NE(audio, nullptr);
    ASSERT_TRUE(driver::IsControlChecked(audio, IDC_AUDIO_SPEAKERS));
    ASSERT_TRUE(driver::IsControlChecked(audio, IDC_AUDIO_MICROPHONE));
    const bool sources = driver::IsControlEnabled(audio, IDC_AUDIO_SOURCES);
    const bool inputs = driver::IsControlEnabled(audio, IDC_AUDIO_INPUTS);
    EXPECT_TRUE(sources);
    ASSERT_TRUE(driver::ClickControl(audio, IDC_AUDIO_MICROPHONE));
    ASSERT_TRUE(driver::PollUntil(5000, [&] { return !driver::IsControlChecked(audio, IDC_AUDIO_MICROPHONE); }));
    EXPECT_TRUE(driver::IsControlChecked(audio, IDC_AUDIO_SPEAKERS));
    EXPECT_EQ(driver::IsControlEnabled(audio, IDC_AUDIO_SOURCES), sources);
    EXPECT_EQ(driver::IsControlEnabled(audio, IDC_AUDIO_INPUTS), inputs);
    ASSERT_TRUE(::PostMessageW(audio, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
    EXPECT_TRUE(driver::WaitForWindowGone(kAudioTitle, 3000));
}

TEST_F(SetupDialogs, OnWindows7TheBackgroundIsOffAndTheBasicSwitchEndsTheProgram) {
    SetVersionFor(L"telvane.exe", L"win7");
    Start({{"HideWindow", "1"}, {"Basic", "0"}});
    HWND setup = OpenSetup();
    ASSERT_NE(setup, nullptr);
    HWND video = OpenVideo(setup);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(driver::IsControlEnabled(video, kBasicBox));
    EXPECT_FALSE(driver::IsControlEnabled(video, kBackgroundBox));
    EXPECT_FALSE(driver::IsControlChecked(video, kBackgroundBox));
    ASSERT_TRUE(driver::ClickControl(video, kBasicBox));
    EXPECT_EQ(Answer(IDYES), L"Telvane will close after this.\n\nContinue?");
    DWORD code = 0xFFFFFFFF;
    ASSERT_TRUE(m_run.program.WaitForExit(5000, &code));
    EXPECT_EQ(code, 0u);
    const std::string settings = ReadAll(SettingsFile());
    EXPECT_TRUE(HasLine(settings, "Basic: 1")) << settings;
    EXPECT_TRUE(HasLine(settings, "HideWindow: 0")) << settings;
}

TEST_F(SetupDialogs, TheRecorderStartsTheBasicThemeHelperOnWindows7) {
    SetVersionFor(L"telvane.exe", L"win7");
    SetVersionFor(L"zcbasic.exe", L"win7");
    Start({{"Basic", "1"}});
    EXPECT_NE(driver::WaitForWindow(L"ZBasic", 5000), nullptr);
    EXPECT_EQ(CloseRecorder(m_run), 0u);
    // It follows the recorder window "Quorra" and ends with it.
    EXPECT_TRUE(driver::WaitForWindowGone(L"ZBasic", 5000));
}

TEST_F(SetupDialogs, TheHelperKeepsItsWindowOutsideWindows7) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"ZBasic Test Owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    driver::Program helper = driver::Program::Start(driver::ProductFolder() + L"zcbasic.exe",
                                                    L"-w \"ZBasic Test Owner\"", driver::ProductFolder());
    ASSERT_TRUE(helper) << Narrow(helper.Error());
    HWND window = driver::WaitForWindow(L"ZBasic", 5000, helper.Id());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(driver::IsVisible(window));
    ::DestroyWindow(owner);
    EXPECT_FALSE(helper.WaitForExit(2000));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(helper.WaitForExit(3000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
