// The "Audio Setup" dialog under Wine, in audio_setup_host.exe over the
// capture device stand-ins (registered here, with their mixer lines) and
// the platform's endpoints: the boxes at start, the lists, each box's
// switch, and what OK and Cancel leave in the settings file, compared line
// by line with the file the test wrote.

#include <gtest/gtest.h>
#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <objbase.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "audio/AudioTestDlgIds.h"
#include "audio/Win32EndpointProbe.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/wine/audio/CaptureVolumes.h"
#include "tests/wine/driver/Driver.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kTimeoutMs = 20000;
const std::wstring kTitle = L"Audio Setup";
const std::wstring kBox = L"Telvane Message";
using Names = std::vector<std::wstring>;
using Lines = std::map<std::string, std::string>;

// The settings file as key -> value, one entry per "Key: value" line.
Lines ParseLines(const std::string& text) {
    Lines lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos) lines[line.substr(0, colon)] = line.substr(colon + 2);
        at = end + 2;
    }
    return lines;
}

// The lines that changed, as "Key: old -> new".
std::vector<std::string> Changes(const Lines& before, const Lines& after) {
    std::vector<std::string> changed;
    for (const auto& [key, value] : after) {
        const auto old = before.find(key);
        const std::string was = old == before.end() ? "<none>" : old->second;
        if (was != value) changed.push_back(key + ": " + was + " -> " + value);
    }
    return changed;
}

BOOL Muted(IAudioEndpointVolume* v) {
    BOOL muted = 2;
    EXPECT_HRESULT_SUCCEEDED(v->GetMute(&muted));
    return muted;
}

class AudioSetupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        // The test reads the endpoints' mute state through COM itself.
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        folder = fs::path(::testing::TempDir()) / L"telvane audio setup";
        std::error_code error;
        fs::remove_all(folder, error);
        ASSERT_TRUE(fs::create_directories(folder));
        path = (folder / L"settings_qr.ini").wstring();
        record = SettingsRecord{};
        ASSERT_TRUE(CopyText(record.RecordingFolder, folder.wstring()));
        // What loading the file forces is set already, so that a file the
        // dialog writes differs only where the dialog changed something.
        record.Protocol = 1;
        record.FrameRate = 25;
        record.Bitcount = 24;
        record.AutoMarkSwitch = 1;
        record.OnTop = 1;
        record.xTop = 150;
        record.yTop = 170;
        record.xBottom = 800;
        record.yBottom = 550;
        record.AudioOnly = 1;
        ASSERT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
        ASSERT_EQ(winetest::AddTestAudioDevice(L"Telvane Headset", {L"Microphone", L"Line In"}), S_OK);
        ASSERT_EQ(winetest::AddTestAudioDevice(L"virtual-audio-capturer", {}), S_OK);
        ASSERT_EQ(winetest::AddTestAudioDevice(L"Telvane Stereo Mix", {L"Line In", L"Stereo Mix"}), S_OK);
        // Named as part of the platform's microphone endpoint, "Monitor of Microphone".
        ASSERT_EQ(winetest::AddTestAudioDevice(L"Microphone", {L"Microphone"}), S_OK);
    }
    void TearDown() override {
        program.End();
        EXPECT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
        std::error_code error;
        fs::remove_all(folder, error);
        ::CoUninitialize();
    }

    void Set(wchar_t (&field)[kSettingsTextCapacity], const wchar_t* text) { ASSERT_TRUE(CopyText(field, text)); }
    void OnFilterPath(int dual) {
        record.VistaAudio = 1;
        record.DualAudio = dual;
        Set(record.AudioSource, L"Sonark5");
        Set(record.AudioOutput, L"Out");
    }

    void Start(const std::wstring& extra = L"") {
        written = FormatSettingsText(record);
        ASSERT_TRUE(driver::WriteFileBytes(path, std::vector<uint8_t>(written.begin(), written.end())));
        program =
            driver::Program::Start(driver::ProgramFolder() + L"audio_setup_host.exe", L"\"" + path + L"\"" + extra);
        ASSERT_TRUE(program) << std::string(program.Error().begin(), program.Error().end());
        dialog = driver::WaitForWindow(kTitle, kTimeoutMs, program.Id());
        ASSERT_NE(dialog, nullptr) << "the dialog did not appear";
        ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [this] { return driver::IsVisible(dialog); }));
        driver::Settle(300);
    }
    // Presses the button (its command, as a click sends it) and waits for
    // the host to end; returns DoModal's result.
    int Finish(int button) {
        EXPECT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button))));
        DWORD code = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(kTimeoutMs, &code)) << "the dialog did not close";
        EXPECT_EQ(code, 0u);
        const std::string report = FileText(path + L".report");
        return report.rfind("result ", 0) == 0 ? std::atoi(report.c_str() + 7) : -99;
    }
    // The box the dialog shows, its text read and OK pressed.
    std::wstring Message() {
        HWND box = driver::WaitForMessageBox(kBox, kTimeoutMs, program.Id());
        if (!box) return L"<no message>";
        const std::wstring text = driver::MessageBoxText(box);
        driver::PressButton(box, IDOK);
        return text;
    }

    std::string FileText(const std::wstring& file) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(driver::ReadFileBytes(file, &bytes));
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> ChangedLines() { return Changes(ParseLines(written), ParseLines(FileText(path))); }
    std::wstring Log() {
        const std::string bytes = FileText(path + L".log");
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    bool Checked(int id) { return driver::IsControlChecked(dialog, id); }
    bool Enabled(int id) { return driver::IsControlEnabled(dialog, id); }

    fs::path folder;
    std::wstring path;
    SettingsRecord record;
    std::string written;
    driver::Program program;
    HWND dialog = nullptr;
};

// The devices this test registered, as the sorted list shows them.
const Names kListed = {L"Microphone", L"Telvane Headset", L"Telvane Stereo Mix"};

bool HasTheTestDevicesOnly(const Names& items) {
    for (const std::wstring& name : items)
        if (name.find(L"virtual-audio") != std::wstring::npos) return false;
    for (const std::wstring& name : kListed)
        if (std::find(items.begin(), items.end(), name) == items.end()) return false;
    return true;
}

TEST_F(AudioSetupDialog, DualAudioStartsWithBothBoxesAndTheMicrophoneChosen) {
    OnFilterPath(1);
    Set(record.AudioSource1, L"Microphone");
    Set(record.AudioOutput1, L"Capture");
    Start();
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_SPEAKERS),
              L" Record remote audio (speakers) - Windows 7, 8, 10");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_MICROPHONE), L" Record local audio (microphone)");
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_INSTRUCTION).rfind(L"Select your microphone device", 0), 0u);
    EXPECT_TRUE(Checked(IDC_AUDIO_SPEAKERS));
    EXPECT_TRUE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_TRUE(Enabled(IDC_AUDIO_SOURCES));
    EXPECT_TRUE(HasTheTestDevicesOnly(driver::ComboItems(dialog, IDC_AUDIO_SOURCES)));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_SOURCES), L"Microphone");
    driver::SaveScreenshot(dialog, driver::ProgramFolder() + L"audio_setup_dual.png");

    // OK unmutes the endpoint whose name holds "Microphone", for every
    // process, and runs the two format checks.
    ComPtr<IMMDeviceEnumerator> e;
    ASSERT_HRESULT_SUCCEEDED(CreateSystemEnumerator(&e));
    const Names names = audiotest::CaptureNames(e.Get());
    int mic = -1;
    for (std::size_t i = 0; i < names.size() && mic < 0; ++i)
        if (names[i].find(L"Microphone") != std::wstring::npos) mic = static_cast<int>(i);
    ASSERT_GE(mic, 0);
    ComPtr<IAudioEndpointVolume> volume = audiotest::Volume(e.Get(), static_cast<UINT>(mic));
    ASSERT_TRUE(volume);
    ASSERT_HRESULT_SUCCEEDED(volume->SetMute(TRUE, nullptr));

    EXPECT_EQ(Finish(IDOK), IDOK);
    EXPECT_EQ(Muted(volume.Get()), FALSE);
    const std::wstring log = Log();
    EXPECT_NE(log.find(L"---Default Renderer Format---"), std::wstring::npos);
    EXPECT_NE(log.find(L"---Default Microphone Format---"), std::wstring::npos);
    EXPECT_EQ(ChangedLines(), (std::vector<std::string>{}));
}

// The microphone unticked beside the speakers: the lists stay as they were.
TEST_F(AudioSetupDialog, UncheckingTheMicrophoneBesideTheSpeakersLeavesTheLists) {
    OnFilterPath(1);
    Set(record.AudioSource1, L"Microphone");
    Start();
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_AUDIO_MICROPHONE));
    ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [&] { return !Checked(IDC_AUDIO_MICROPHONE); }));
    EXPECT_TRUE(Checked(IDC_AUDIO_SPEAKERS));
    EXPECT_TRUE(Enabled(IDC_AUDIO_SOURCES));
    EXPECT_TRUE(Enabled(IDC_AUDIO_INPUTS));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_SOURCES), L"Microphone");
    EXPECT_EQ(Finish(IDCANCEL), IDCANCEL);
}

TEST_F(AudioSetupDialog, TheFilterAloneStartsWithTheSpeakersBoxAndEmptyLists) {
    OnFilterPath(0);
    Set(record.AudioSource1, L"Telvane Headset");
    Set(record.AudioOutput1, L"Capture");
    Start();
    EXPECT_TRUE(Checked(IDC_AUDIO_SPEAKERS));
    EXPECT_FALSE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_TRUE(Enabled(IDC_AUDIO_MICROPHONE));
    EXPECT_FALSE(Enabled(IDC_AUDIO_SOURCES));
    EXPECT_FALSE(Enabled(IDC_AUDIO_INPUTS));
    EXPECT_EQ(driver::ComboItems(dialog, IDC_AUDIO_SOURCES), Names{});
    driver::SaveScreenshot(dialog, driver::ProgramFolder() + L"audio_setup_filter.png");

    // OK keeps the filter and forgets the stale second source.
    EXPECT_EQ(Finish(IDOK), IDOK);
    EXPECT_EQ(ChangedLines(),
              (std::vector<std::string>{"Audio Output1: Capture -> ", "Audio Source1: Telvane Headset -> "}));
    EXPECT_NE(Log().find(L"---Default Microphone Format---"), std::wstring::npos);
}

TEST_F(AudioSetupDialog, TheDevicePathStartsWithTheStereoMixDeviceChosen) {
    Start();
    EXPECT_FALSE(Checked(IDC_AUDIO_SPEAKERS));
    EXPECT_TRUE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_TRUE(Enabled(IDC_AUDIO_SOURCES));
    EXPECT_TRUE(HasTheTestDevicesOnly(driver::ComboItems(dialog, IDC_AUDIO_SOURCES)));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_SOURCES), L"Telvane Stereo Mix");
    EXPECT_EQ(driver::ComboItems(dialog, IDC_AUDIO_INPUTS), (Names{L"Line In", L"Stereo Mix"}));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_INPUTS), L"Stereo Mix");
    driver::SaveScreenshot(dialog, driver::ProgramFolder() + L"audio_setup_device.png");

    EXPECT_EQ(Finish(IDOK), IDOK);
    EXPECT_EQ(ChangedLines(),
              (std::vector<std::string>{"Audio Input:  -> Stereo Mix", "Audio Only: 1 -> 0",
                                        "Audio Output:  -> Capture", "Audio Source:  -> Telvane Stereo Mix"}));
    // No format checks on the device path.
    EXPECT_EQ(Log().find(L"---Default Renderer Format---"), std::wstring::npos);
}

TEST_F(AudioSetupDialog, UncheckingTheSpeakersSwitchesToTheChosenDevice) {
    OnFilterPath(0);
    Start();
    ASSERT_TRUE(driver::ClickControl(dialog, IDC_AUDIO_SPEAKERS));
    ASSERT_TRUE(driver::PollUntil(kTimeoutMs, [&] { return Checked(IDC_AUDIO_MICROPHONE); }));
    EXPECT_FALSE(Checked(IDC_AUDIO_SPEAKERS));
    EXPECT_TRUE(Enabled(IDC_AUDIO_SOURCES));
    EXPECT_TRUE(HasTheTestDevicesOnly(driver::ComboItems(dialog, IDC_AUDIO_SOURCES)));
    ASSERT_TRUE(driver::ChooseComboItem(dialog, IDC_AUDIO_SOURCES, L"Telvane Headset"));
    ASSERT_TRUE(
        driver::PollUntil(kTimeoutMs, [&] { return driver::ComboItems(dialog, IDC_AUDIO_INPUTS).size() == 2; }));
    ASSERT_TRUE(driver::ChooseComboItem(dialog, IDC_AUDIO_INPUTS, L"Line In"));
    driver::Settle(300);

    EXPECT_EQ(Finish(IDOK), IDOK);
    EXPECT_EQ(ChangedLines(), (std::vector<std::string>{
                                  "Audio Input:  -> Line In", "Audio Only: 1 -> 0", "Audio Output: Out -> Capture",
                                  "Audio Source: Sonark5 -> Telvane Headset", "VistaAudio: 1 -> 0"}));
}

TEST_F(AudioSetupDialog, OkWithTheMicrophoneAndNoDeviceSaysSoAndStays) {
    ASSERT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
    Set(record.AudioSource, L"virtual-audio-capturer");
    Start();
    ASSERT_TRUE(Checked(IDC_AUDIO_MICROPHONE));
    ASSERT_TRUE(driver::ClickControl(dialog, IDOK));
    EXPECT_EQ(Message(), L"No audio output selected for local audio");
    EXPECT_TRUE(driver::IsVisible(dialog));
    EXPECT_FALSE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_EQ(FileText(path), written);
}

TEST_F(AudioSetupDialog, CancelWithTheFilterNamedPutsTheFilterPathBack) {
    record.VistaAudio = 0;
    Set(record.AudioSource, L"Sonark5");
    Set(record.AudioOutput, L"Out");
    Start();
    EXPECT_TRUE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_EQ(driver::GetControlText(dialog, IDC_AUDIO_SOURCES), L"");
    EXPECT_EQ(Finish(IDCANCEL), IDCANCEL);
    EXPECT_EQ(ChangedLines(), (std::vector<std::string>{"VistaAudio: 0 -> 1"}));
}

TEST_F(AudioSetupDialog, BeforeVistaTheMicrophoneBoxIsOffAndMinimisingTakesTheOwnerAlong) {
    record.DualAudio = 1;
    Start(L" xp");
    EXPECT_FALSE(Checked(IDC_AUDIO_MICROPHONE));
    EXPECT_FALSE(Enabled(IDC_AUDIO_MICROPHONE));
    EXPECT_FALSE(Enabled(IDC_AUDIO_SPEAKERS));

    HWND owner = driver::FindTopWindow(L"Audio Setup Owner", program.Id());
    ASSERT_NE(owner, nullptr);
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(driver::PollUntil(kTimeoutMs, [&] { return ::IsIconic(owner) != FALSE; }));
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(driver::PollUntil(kTimeoutMs, [&] { return ::IsIconic(owner) == FALSE; }));
    EXPECT_EQ(Finish(IDCANCEL), IDCANCEL);
    EXPECT_EQ(FileText(path), written);
}

}  // namespace
