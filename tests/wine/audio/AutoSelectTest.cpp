// The automatic audio source choice against Wine's device enumerator and the
// stand-in capture devices, whose mixer lines are the input pins named by
// each test (and whose one output pin is "Capture"). The test devices
// enumerate before Wine's own, in the order added. What was chosen is read
// back from the settings file on disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "audio/AutoSelectAudioSource.h"
#include "framework/win/Handles.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"
#include "settings/Win32SettingsSystem.h"
#include "tests/wine/driver/Files.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

namespace {

struct Shown {
    std::wstring text;
    UINT buttons;
};

std::vector<Shown> g_shown;
int g_answer = IDYES;
std::vector<std::wstring> g_log;

void CaptureLog(const std::wstring& text) { g_log.push_back(text); }

}  // namespace

// The recorder's message box, replaced in this program (linked instead of
// telvane_show_message's): the boxes are recorded and a question gets the
// answer the test chose.
int ShowMessage(const std::wstring& text, UINT buttons) {
    g_shown.push_back({text, buttons});
    return buttons == MB_YESNO ? g_answer : IDOK;
}

namespace {

using Names = std::vector<std::wstring>;

class AutoSelectEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_apartment = std::make_unique<win::ScopedComApartment>(COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(m_apartment->Succeeded());
        SetLogSink(&CaptureLog);
    }
    void TearDown() override {
        winetest::RemoveTestAudioDevices();
        SetLogSink(nullptr);
        m_apartment.reset();
    }

private:
    std::unique_ptr<win::ScopedComApartment> m_apartment;
};

testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new AutoSelectEnvironment);

class AutoSelect : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
        SetSettingsSystem(&m_system);
        ASSERT_TRUE(PrepareSettingsFolder());
        m_path = std::wstring(TextOf(SettingsPath));
        ::DeleteFileW(m_path.c_str());
        Settings = SettingsRecord();
        g_shown.clear();
        g_log.clear();
        g_answer = IDYES;
    }
    void TearDown() override {
        ::DeleteFileW(m_path.c_str());
        winetest::RemoveTestAudioDevices();
    }

    static void AddDevice(const std::wstring& name, const Names& pins) {
        ASSERT_EQ(winetest::AddTestAudioDevice(name, pins), S_OK) << "device stand-ins not registered?";
    }

    std::string FileText() const {
        std::vector<uint8_t> bytes;
        if (!driver::ReadFileBytes(m_path, &bytes)) return {};
        return std::string(bytes.begin(), bytes.end());
    }

    // The three lines the selection writes, as the file has them.
    void ExpectWritten(const std::string& source, const std::string& input, const std::string& output) const {
        const std::string file = FileText();
        ASSERT_FALSE(file.empty()) << "settings file not written";
        EXPECT_NE(file.find("\r\nAudio Source: " + source + "\r\nAudio Input: " + input +
                            "\r\nAudio Output: " + output + "\r\n"),
                  std::string::npos)
            << file;
    }

    static Names Texts() {
        Names texts;
        for (const Shown& shown : g_shown) texts.push_back(shown.text);
        return texts;
    }

    static bool Logged(const std::wstring& line) {
        for (const std::wstring& text : g_log)
            if (text == line) return true;
        return false;
    }

    bool m_vista = true;
    bool m_notWindows7 = true;
    Win32SettingsSystem m_system{m_vista, m_notWindows7};
    std::wstring m_path;
};

TEST_F(AutoSelect, StereoMixAmongOtherLinesIsChosenWithTheNotice) {
    AddDevice(L"Telvane Mixer", {L"Microphone", L"Line In", L"Stereo Mix"});
    // Only the first device counts, even when a later one has a better line.
    AddDevice(L"Second Mixer", {L"What U Hear"});

    ASSERT_EQ(AutoSelectAudioSource(), 1);
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].text, L"Audio source selected: Telvane Mixer/Stereo Mix");
    EXPECT_EQ(g_shown[0].buttons, static_cast<UINT>(MB_OK));
    ExpectWritten("Telvane Mixer", "Stereo Mix", "Capture");
    EXPECT_EQ(TextOf(Settings.AudioSource), L"Telvane Mixer");
    EXPECT_EQ(TextOf(Settings.AudioInput), L"Stereo Mix");
    EXPECT_EQ(TextOf(Settings.AudioOutput), L"Capture");

    EXPECT_TRUE(Logged(L"nInpPin=3"));
    bool listedFirst = false;
    for (const std::wstring& text : g_log)
        listedFirst |= text.rfind(L"\r\naudioInpDev[0]=Telvane Mixer audioFilter=0x", 0) == 0 && text.size() == 53;
    EXPECT_TRUE(listedFirst);
}

TEST_F(AutoSelect, TheLastMatchingLineWins) {
    AddDevice(L"Telvane Mixer", {L"Wave Out Mix", L"Rec. Playback"});
    ASSERT_EQ(AutoSelectAudioSource(), 1);
    EXPECT_EQ(Texts(), Names({L"Audio source selected: Telvane Mixer/Rec. Playback"}));
    ExpectWritten("Telvane Mixer", "Rec. Playback", "Capture");
}

TEST_F(AutoSelect, WithoutAMatchTheFirstLineIsTaken) {
    AddDevice(L"Telvane Mixer", {L"Microphone", L"Line In", L"CD Audio"});
    ASSERT_EQ(AutoSelectAudioSource(), 1);
    EXPECT_EQ(Texts(), Names({L"Audio source selected: Telvane Mixer/Microphone"}));
    ExpectWritten("Telvane Mixer", "Microphone", "Capture");
}

TEST_F(AutoSelect, AnAudioInputAlreadySetGivesWayToTheFirstLine) {
    AddDevice(L"Telvane Mixer", {L"Microphone", L"Line In", L"Stereo Mix"});
    CopyText(Settings.AudioInput, L"Line In");
    CopyText(Settings.AudioOutput, L"Old Output");
    ASSERT_EQ(AutoSelectAudioSource(), 1);
    EXPECT_EQ(Texts(), Names({L"Audio source selected: Telvane Mixer/Microphone"}));
    ExpectWritten("Telvane Mixer", "Microphone", "Capture");
}

TEST_F(AutoSelect, AMatchOnTheFirstLineIsAskedAbout) {
    AddDevice(L"Telvane Mixer", {L"Stereo Mix", L"Microphone", L"Line In"});
    const std::wstring question =
        L"Audio source selected: Telvane Mixer/Stereo Mix\n\nClick YES to continue recording, NO to return.";

    g_answer = IDNO;
    EXPECT_EQ(AutoSelectAudioSource(), 0);
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].text, question);
    EXPECT_EQ(g_shown[0].buttons, static_cast<UINT>(MB_YESNO));
    // The choice stays in memory but is not written.
    EXPECT_EQ(TextOf(Settings.AudioInput), L"Stereo Mix");
    EXPECT_FALSE(driver::FileExists(m_path));

    g_shown.clear();
    Settings = SettingsRecord();
    g_answer = IDYES;
    ASSERT_EQ(AutoSelectAudioSource(), 1);
    EXPECT_EQ(Texts(), Names({question}));
    ExpectWritten("Telvane Mixer", "Stereo Mix", "Capture");
}

}  // namespace
