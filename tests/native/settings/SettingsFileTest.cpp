// ReadSettings and WriteSettings: the file's layout byte for byte, the key
// rules, the corrections after every load, UTF-8, bounds and the atomic
// replace.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/native/settings/SettingsFixture.h"

namespace {

// Every field with a value of its own that no correction touches (before
// Vista, so both theme switches stay).
SettingsRecord DistinctRecord() {
    SettingsRecord s;
    CopyText(s.RecordingFolder, L"D:\\Calls\\Recordings");
    s.Protocol = 4;
    s.VideoBitrate = 3000;
    s.AudioBitrate = 128;
    s.FrameRate = 29.97f;
    CopyText(s.AudioSource, L"Sonark5");
    CopyText(s.AudioInput, L"Stereo Mix");
    CopyText(s.AudioOutput, L"Out");
    s.MaxFileTime = 3725;
    s.AudioOnly = 1;
    s.VideoOnly = 2;
    s.OnTop = 1;
    s.VistaAudio = 1;
    s.SetTopWindow = 3;
    s.xTop = -1280;
    s.yTop = 17;
    s.xBottom = 640;
    s.yBottom = 480;
    s.Mpeg4 = 5;
    s.Bitcount = 32;
    s.Filters = 6;
    s.Cursor = 1;
    s.Install = 1;
    s.User = 7;
    s.Message = 8;
    s.ShowVideo = 1;
    s.AutoMarkSwitch = 1;
    s.Basic = 1;
    s.Defaults = 9;
    s.Minimize = 0;
    s.Size = 150;
    s.FullScreen = 2;
    s.HideWindow = 1;
    CopyText(s.Hotkey, L"CTRL+82");
    s.MiniClone = 1;
    s.Monitor = 2;
    s.DualAudio = 1;
    CopyText(s.AudioSource1, L"Microphone (USB Audio)");
    CopyText(s.AudioInput1, L"Mic Volume");
    CopyText(s.AudioOutput1, L"Capture");
    s.AutoMark = 2;
    CopyText(s.Position, L"-1200,40");
    s.Scale = 125;
    s.Setup = 1;
    return s;
}

const char kDistinctFile[] =
    "Telvane Settings -- Do not delete or alter\r\n"
    "*****************************************************\r\n"
    "Recording Folder: D:\\Calls\\Recordings\r\n"
    "Protocol: 4\r\n"
    "Video Bitrate: 3000\r\n"
    "Audio Bitrate: 128\r\n"
    "Frame Rate: 29.97\r\n"
    "Audio Source: Sonark5\r\n"
    "Audio Input: Stereo Mix\r\n"
    "Audio Output: Out\r\n"
    "Max File Time: 3725\r\n"
    "Audio Only: 1\r\n"
    "Video Only: 2\r\n"
    "OnTop: 1\r\n"
    "VistaAudio: 1\r\n"
    "SetTopWindow: 3\r\n"
    "xTop: -1280\r\n"
    "yTop: 17\r\n"
    "xBottom: 640\r\n"
    "yBottom: 480\r\n"
    "MPEG-4: 5\r\n"
    "Bitcount: 32\r\n"
    "Filters: 6\r\n"
    "Cursor: 1\r\n"
    "Install: 1\r\n"
    "User: 7\r\n"
    "Message: 8\r\n"
    "ShowVideo: 1\r\n"
    "AutoMark: 1\r\n"
    "Basic: 1\r\n"
    "Defaults: 9\r\n"
    "Minimize: 0\r\n"
    "Size: 150\r\n"
    "FullScreen: 2\r\n"
    "HideWindow: 1\r\n"
    "Hotkey: CTRL+82\r\n"
    "MiniClone: 1\r\n"
    "Monitor: 2\r\n"
    "Dual Audio: 1\r\n"
    "Audio Source1: Microphone (USB Audio)\r\n"
    "Audio Input1: Mic Volume\r\n"
    "Audio Output1: Capture\r\n"
    "AutoMark: 2\r\n"
    "Position: -1200,40\r\n"
    "Scale: 125\r\n"
    "Setup: 1\r\n"
    "\r\n"
    "*****************************************************\r\n"
    "Made by Telvane";

void ExpectSameFields(const SettingsRecord& a, const SettingsRecord& b) {
    EXPECT_EQ(TextOf(a.RecordingFolder), TextOf(b.RecordingFolder));
    EXPECT_EQ(a.Protocol, b.Protocol);
    EXPECT_EQ(a.VideoBitrate, b.VideoBitrate);
    EXPECT_EQ(a.AudioBitrate, b.AudioBitrate);
    EXPECT_FLOAT_EQ(a.FrameRate, b.FrameRate);
    EXPECT_EQ(TextOf(a.AudioSource), TextOf(b.AudioSource));
    EXPECT_EQ(TextOf(a.AudioInput), TextOf(b.AudioInput));
    EXPECT_EQ(TextOf(a.AudioOutput), TextOf(b.AudioOutput));
    EXPECT_EQ(a.MaxFileTime, b.MaxFileTime);
    EXPECT_EQ(a.AudioOnly, b.AudioOnly);
    EXPECT_EQ(a.VideoOnly, b.VideoOnly);
    EXPECT_EQ(a.OnTop, b.OnTop);
    EXPECT_EQ(a.VistaAudio, b.VistaAudio);
    EXPECT_EQ(a.SetTopWindow, b.SetTopWindow);
    EXPECT_EQ(a.xTop, b.xTop);
    EXPECT_EQ(a.yTop, b.yTop);
    EXPECT_EQ(a.xBottom, b.xBottom);
    EXPECT_EQ(a.yBottom, b.yBottom);
    EXPECT_EQ(a.Mpeg4, b.Mpeg4);
    EXPECT_EQ(a.Bitcount, b.Bitcount);
    EXPECT_EQ(a.Filters, b.Filters);
    EXPECT_EQ(a.Cursor, b.Cursor);
    EXPECT_EQ(a.Install, b.Install);
    EXPECT_EQ(a.User, b.User);
    EXPECT_EQ(a.Message, b.Message);
    EXPECT_EQ(a.ShowVideo, b.ShowVideo);
    EXPECT_EQ(a.AutoMarkSwitch, b.AutoMarkSwitch);
    EXPECT_EQ(a.Basic, b.Basic);
    EXPECT_EQ(a.Defaults, b.Defaults);
    EXPECT_EQ(a.Minimize, b.Minimize);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.FullScreen, b.FullScreen);
    EXPECT_EQ(a.HideWindow, b.HideWindow);
    EXPECT_EQ(TextOf(a.Hotkey), TextOf(b.Hotkey));
    EXPECT_EQ(a.MiniClone, b.MiniClone);
    EXPECT_EQ(a.Monitor, b.Monitor);
    EXPECT_EQ(a.DualAudio, b.DualAudio);
    EXPECT_EQ(TextOf(a.AudioSource1), TextOf(b.AudioSource1));
    EXPECT_EQ(TextOf(a.AudioInput1), TextOf(b.AudioInput1));
    EXPECT_EQ(TextOf(a.AudioOutput1), TextOf(b.AudioOutput1));
    EXPECT_EQ(a.AutoMark, b.AutoMark);
    EXPECT_EQ(TextOf(a.Position), TextOf(b.Position));
    EXPECT_EQ(a.Scale, b.Scale);
    EXPECT_EQ(a.Setup, b.Setup);
}

}  // namespace

// --- the written file ---

TEST_F(SettingsTest, WriteSettingsWritesTheExactLayout) {
    const std::wstring path = PreparedPath();
    Settings = DistinctRecord();
    EXPECT_EQ(WriteSettings(), 1);
    EXPECT_EQ(fake.ReadBytes(path), kDistinctFile);
    EXPECT_TRUE(fake.messages.empty());
    // Through a temporary file beside it, which is gone afterwards.
    ASSERT_EQ(fake.replaced.size(), 1u);
    EXPECT_EQ(fake.replaced[0], path + L".tmp -> " + path);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
}

TEST_F(SettingsTest, FreshRecordWritesZerosEmptyTextsAndProtocolOne) {
    const std::string text = FormatSettingsText(SettingsRecord{});
    EXPECT_NE(text.find("\r\nRecording Folder: \r\nProtocol: 1\r\nVideo Bitrate: 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nFrame Rate: 0.00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nHotkey: \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPosition: \r\nScale: 0\r\nSetup: 0\r\n\r\n"), std::string::npos);
}

TEST_F(SettingsTest, RoundTripKeepsEveryField) {
    fake.vistaOrLater = false;
    fake.notWindows7 = false;
    PreparedPath();
    const SettingsRecord written = DistinctRecord();
    Settings = written;
    ASSERT_EQ(WriteSettings(), 1);
    Settings = SettingsRecord{};
    EXPECT_EQ(ReadSettings(), 1);
    ExpectSameFields(Settings, written);
    EXPECT_EQ(TextOf(DurationText), L"01:02:05");
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_TRUE(fake.endedWith.empty());
}

TEST_F(SettingsTest, LoadForcesTheRunTimeSwitches) {
    fake.vistaOrLater = false;
    fake.notWindows7 = false;
    PreparedPath();
    SettingsRecord written = DistinctRecord();
    written.OnTop = 0;
    written.AutoMarkSwitch = 0;
    written.Minimize = 1;
    Settings = written;
    ASSERT_EQ(WriteSettings(), 1);
    int cleared = 0;
    static int* s_cleared;
    s_cleared = &cleared;
    ClearRecordingGraphFlags = [] { ++*s_cleared; };
    Settings = SettingsRecord{};
    ASSERT_EQ(ReadSettings(), 1);
    SettingsRecord expected = written;
    expected.OnTop = 1;
    expected.AutoMarkSwitch = 1;
    expected.Minimize = 0;
    ExpectSameFields(Settings, expected);
    EXPECT_EQ(cleared, 1);
}

// --- key rules ---

TEST_F(SettingsTest, TheLastAutoMarkLineSetsTheCaptureSource) {
    Load({"Recording Folder: D:\\r", "AutoMark: 1", "AutoMark: 2"});
    EXPECT_EQ(Settings.AutoMark, 2);
    EXPECT_EQ(Settings.AutoMarkSwitch, 1);

    Load({"Recording Folder: D:\\r", "AutoMark: 2", "AutoMark: 0"});
    EXPECT_EQ(Settings.AutoMark, 0);
    EXPECT_EQ(Settings.AutoMarkSwitch, 1);
}

TEST_F(SettingsTest, ALastLineWithoutLineBreakIsIgnored) {
    const std::wstring path = PreparedPath();
    Settings.Size = 120;
    Settings.Scale = 3;
    fake.WriteBytes(path, FileOf({"Recording Folder: D:\\r", "Scale: 90"}, "Size: 150"));
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(Settings.Size, 120);
    EXPECT_EQ(Settings.Scale, 90);
}

TEST_F(SettingsTest, MissingKeysKeepTheirValuesAndUnknownLinesAreIgnored) {
    Settings.VideoBitrate = 777;
    CopyText(Settings.Hotkey, L"ALT+65");
    Load({"Recording Folder: D:\\r", "Minimize: 1", "Something: 5", "size: 3", "Size:4"});
    EXPECT_EQ(Settings.VideoBitrate, 777);
    EXPECT_EQ(TextOf(Settings.Hotkey), L"ALT+65");
    EXPECT_EQ(Settings.Minimize, 0);
    EXPECT_EQ(Settings.Size, 0);
}

TEST_F(SettingsTest, TheFirstKeyInTestOrderDecidesALine) {
    Settings.Size = 100;
    Settings.FullScreen = 0;
    Load({
        "Recording Folder: D:\\Size: 7\\rec",  // "Recording Folder" is tested before "Size"
        "Hotkey: Position: 10,20",             // "Position" before everything
        "AutoMark: 2 FullScreen: 1",           // "FullScreen" before "AutoMark"
        "Audio Source1: Mic",                  // not "Audio Source: "
        "junk before Scale: 130 and after",    // anywhere in the line
    });
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"D:\\Size: 7\\rec");
    EXPECT_EQ(Settings.Size, 100);
    EXPECT_EQ(TextOf(Settings.Position), L"10,20");
    EXPECT_EQ(TextOf(Settings.Hotkey), L"");
    EXPECT_EQ(Settings.FullScreen, 1);
    EXPECT_EQ(Settings.AutoMark, 0);
    EXPECT_EQ(TextOf(Settings.AudioSource1), L"Mic");
    EXPECT_EQ(TextOf(Settings.AudioSource), L"");
    EXPECT_EQ(Settings.Scale, 130);
}

TEST_F(SettingsTest, ValuesAreReadLeniently) {
    Load({"Recording Folder:   D:\\with blanks  ", "Video Bitrate:   -250kbps", "Audio Bitrate: abc",
          "Max File Time: 99999999999", "Frame Rate:  12.5 fps", "Scale: +40",
          "Setup:", "Hotkey: ", "yTop: -99999999999"});
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"  D:\\with blanks  ");
    EXPECT_EQ(Settings.VideoBitrate, -250);
    EXPECT_EQ(Settings.AudioBitrate, 0);
    EXPECT_EQ(Settings.MaxFileTime, INT_MAX);
    EXPECT_FLOAT_EQ(Settings.FrameRate, 12.5f);
    EXPECT_EQ(Settings.Scale, 40);
    EXPECT_EQ(Settings.Setup, 0);
    EXPECT_EQ(TextOf(Settings.Hotkey), L"");
    EXPECT_EQ(TextOf(DurationText), L"596523:14:07");
}

TEST_F(SettingsTest, LinesEndAtLineFeedOrCrLfAndAtAZeroByte) {
    const std::wstring path = PreparedPath();
    using namespace std::string_literals;
    fake.WriteBytes(path,
                    "Recording Folder: D:\\r\nHotkey: SHIFT+90\r\nAudio Source: Mic\0Size: 9\r\n"
                    "Position: 1,2\r\r\nMade by Telvane"s);
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"D:\\r");
    EXPECT_EQ(TextOf(Settings.Hotkey), L"SHIFT+90");
    EXPECT_EQ(TextOf(Settings.AudioSource), L"Mic");
    EXPECT_EQ(Settings.Size, 0);
    EXPECT_EQ(TextOf(Settings.Position), L"1,2\r");
}

// --- corrections ---

TEST_F(SettingsTest, CorrectionsOfFrameRateBitcountAndProtocol) {
    Load({"Recording Folder: D:\\r", "Frame Rate: 0.00", "Bitcount: 16", "Protocol: 2"});
    EXPECT_FLOAT_EQ(Settings.FrameRate, 25.0f);
    EXPECT_EQ(Settings.Bitcount, 24);
    EXPECT_EQ(Settings.Protocol, 1);

    Load({"Recording Folder: D:\\r", "Frame Rate: 15.00", "Bitcount: 32", "Protocol: 4"});
    EXPECT_FLOAT_EQ(Settings.FrameRate, 15.0f);
    EXPECT_EQ(Settings.Bitcount, 32);
    EXPECT_EQ(Settings.Protocol, 4);

    Load({"Recording Folder: D:\\r", "Frame Rate: none", "Bitcount: x", "Protocol: -4"});
    EXPECT_FLOAT_EQ(Settings.FrameRate, 25.0f);
    EXPECT_EQ(Settings.Bitcount, 24);
    EXPECT_EQ(Settings.Protocol, 1);
}

TEST_F(SettingsTest, AnInvertedOrEmptyRegionBecomesTheDefaultRegion) {
    struct Case {
        const char* xTop;
        const char* yTop;
        const char* xBottom;
        const char* yBottom;
        int expected[4];
    };
    const Case cases[] = {
        {"500", "0", "400", "300", {150, 170, 800, 550}},      // inverted width
        {"10", "300", "200", "300", {150, 170, 800, 550}},     // empty height
        {"10", "20", "10", "400", {150, 170, 800, 550}},       // empty width
        {"-300", "-20", "-100", "40", {-300, -20, -100, 40}},  // valid, left of the primary screen
        // Widths that overflow 32 bits must neither wrap nor be undefined.
        {"-2147483648", "0", "2147483647", "10", {INT_MIN, 0, INT_MAX, 10}},
        {"2147483647", "0", "-2147483648", "10", {150, 170, 800, 550}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xTop) + "," + c.yTop + "," + c.xBottom + "," + c.yBottom);
        Load({"Recording Folder: D:\\r", std::string("xTop: ") + c.xTop, std::string("yTop: ") + c.yTop,
              std::string("xBottom: ") + c.xBottom, std::string("yBottom: ") + c.yBottom});
        EXPECT_EQ(Settings.xTop, c.expected[0]);
        EXPECT_EQ(Settings.yTop, c.expected[1]);
        EXPECT_EQ(Settings.xBottom, c.expected[2]);
        EXPECT_EQ(Settings.yBottom, c.expected[3]);
    }
}

TEST_F(SettingsTest, ThemeSwitchesFollowTheWindowsVersion) {
    const std::vector<std::string> file = {"Recording Folder: D:\\r", "Basic: 1", "HideWindow: 1"};
    // Windows 7: no background mode.
    fake.vistaOrLater = true;
    fake.notWindows7 = false;
    Load(file);
    EXPECT_EQ(Settings.Basic, 1);
    EXPECT_EQ(Settings.HideWindow, 0);
    // Vista, 8, 10: no Basic theme switch.
    fake.notWindows7 = true;
    Load(file);
    EXPECT_EQ(Settings.Basic, 0);
    EXPECT_EQ(Settings.HideWindow, 1);
    // Before Vista both stay.
    fake.vistaOrLater = false;
    fake.notWindows7 = false;
    Load(file);
    EXPECT_EQ(Settings.Basic, 1);
    EXPECT_EQ(Settings.HideWindow, 1);
}

TEST_F(SettingsTest, DurationTextFollowsMaxFileTime) {
    Load({"Recording Folder: D:\\r", "Max File Time: 3725"});
    EXPECT_EQ(TextOf(DurationText), L"01:02:05");
    Load({"Recording Folder: D:\\r", "Max File Time: 0"});
    EXPECT_EQ(TextOf(DurationText), L"");
    Load({"Recording Folder: D:\\r", "Max File Time: 360000"});
    EXPECT_EQ(TextOf(DurationText), L"100:00:00");
    Load({"Recording Folder: D:\\r", "Max File Time: -60"});
    EXPECT_EQ(TextOf(DurationText), L"");
}

TEST(FormatDurationTest, HoursMinutesSecondsWithTwoDigitsAtLeast) {
    const std::pair<int, const wchar_t*> cases[] = {
        {3725, L"01:02:05"},  {0, L"00:00:00"},       {59, L"00:00:59"},          {600, L"00:10:00"},
        {36000, L"10:00:00"}, {360000, L"100:00:00"}, {INT_MAX, L"596523:14:07"}, {-5, L"00:00:00"},
    };
    for (const auto& [seconds, text] : cases) {
        FormatDuration(seconds);
        EXPECT_EQ(TextOf(DurationText), text) << seconds;
    }
}

// --- characters beyond Latin-1, old 8-bit files ---

TEST_F(SettingsTest, ANonLatin1FolderSurvivesARoundTrip) {
    // The user's application-data folder itself under a Cyrillic name.
    fake.appData = fake.Root() + FakeSettingsSystem::Sep() + L"\u0418\u0432\u0430\u043d";
    const std::wstring path = PreparedPath();
    EXPECT_EQ(path, fake.appData + L"\\Telvane 2\\settings_qr.ini");
    const std::wstring folder = L"C:\\Users\\\u0418\u0432\u0430\u043d\\Videos\\\u5f55\u97f3 \U0001F3A5";
    CopyText(Settings.RecordingFolder, folder);
    CopyText(Settings.AudioSource1, L"Mikrofon (S\u00fc)");
    ASSERT_EQ(WriteSettings(), 1);
    const std::string bytes = fake.ReadBytes(path);
    EXPECT_NE(bytes.find("\r\nRecording Folder: C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\Videos\\"
                         "\xE5\xBD\x95\xE9\x9F\xB3 \xF0\x9F\x8E\xA5\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("\r\nAudio Source1: Mikrofon (S\xC3\xBC)\r\n"), std::string::npos);
    Settings = SettingsRecord{};
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), folder);
    EXPECT_EQ(TextOf(Settings.AudioSource1), L"Mikrofon (S\u00fc)");
}

TEST_F(SettingsTest, An8BitLineReadsOneCharacterPerByte) {
    Load({"Recording Folder: C:\\M\xFCller\\Aufnahmen", "Audio Source: Mikrofon (S\xFC\xDF)",
          "Audio Input: \xC3\xBC ok"});
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"C:\\M\u00fcller\\Aufnahmen");
    EXPECT_EQ(TextOf(Settings.AudioSource), L"Mikrofon (S\u00fc\u00df)");
    EXPECT_EQ(TextOf(Settings.AudioInput), L"\u00fc ok");
}

// --- bounds ---

TEST_F(SettingsTest, ValuesLongerThanTheirFieldAreCut) {
    const std::string folder(1500, 'f');
    const std::string hotkey(300, 'h');
    Load({"Recording Folder: " + folder, "Hotkey: " + hotkey, "Position: " + std::string(100, '9')});
    EXPECT_EQ(TextOf(Settings.RecordingFolder), std::wstring(999, L'f'));
    EXPECT_EQ(TextOf(Settings.Hotkey), std::wstring(99, L'h'));
    EXPECT_EQ(TextOf(Settings.Position), std::wstring(99, L'9'));
}

TEST_F(SettingsTest, LinesBeyondTenThousandCharactersAreCutNotSplit) {
    std::string cyrillic;
    for (int i = 0; i < 20000; ++i) cyrillic += "\xD0\x96";  // 40,000 bytes
    Load({
        "Recording Folder: D:\\r",
        "Audio Source: " + std::string(14986, 'x'),  // 15,000 characters
        std::string(10000, 'a') + "Size: 77",        // the key lies beyond the line's first 9,999
        "Audio Input: " + cyrillic,
        "Scale: 5",  // the line after a long one still counts
        "Audio Output: " + std::string(1 << 20, 'o'),
        "Monitor: 2",
    });
    EXPECT_EQ(TextOf(Settings.AudioSource), std::wstring(999, L'x'));
    EXPECT_EQ(Settings.Size, 0);
    EXPECT_EQ(TextOf(Settings.AudioInput), std::wstring(999, L'\u0416'));
    EXPECT_EQ(Settings.Scale, 5);
    EXPECT_EQ(TextOf(Settings.AudioOutput), std::wstring(999, L'o'));
    EXPECT_EQ(Settings.Monitor, 2);
}

TEST_F(SettingsTest, ACutNeverSplitsACharacter) {
    std::string emoji;
    for (int i = 0; i < 60; ++i) emoji += "\xF0\x9F\x8E\xA5";  // U+1F3A5
    Load({"Recording Folder: D:\\r", "Hotkey: " + emoji});
    std::wstring expected;
    if (sizeof(wchar_t) == 2) {
        // 99 units hold 49 surrogate pairs, not 49 and a half.
        for (int i = 0; i < 49; ++i) expected += L"\U0001F3A5";
    } else {
        for (int i = 0; i < 60; ++i) expected += L"\U0001F3A5";
    }
    EXPECT_EQ(TextOf(Settings.Hotkey), expected);
}

TEST_F(SettingsTest, AValueWithALineBreakCannotInjectALine) {
    const std::wstring path = PreparedPath();
    CopyText(Settings.Hotkey, L"SHIFT+90\r\nSetup: 0");
    Settings.Setup = 1;
    ASSERT_EQ(WriteSettings(), 1);
    const std::string bytes = fake.ReadBytes(path);
    EXPECT_NE(bytes.find("\r\nHotkey: SHIFT+90\r\nMiniClone: 0\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("Setup: 0"), std::string::npos);
}

TEST_F(SettingsTest, AnUnterminatedBufferIsWrittenOnlyToItsEnd) {
    const std::wstring path = PreparedPath();
    for (wchar_t& c : Settings.Position) c = L'7';  // no zero anywhere
    Settings.Scale = 4;
    ASSERT_EQ(WriteSettings(), 1);
    EXPECT_NE(fake.ReadBytes(path).find("\r\nPosition: " + std::string(100, '7') + "\r\nScale: 4\r\n"),
              std::string::npos);
}

// --- failures ---

TEST_F(SettingsTest, AFailedWriteLeavesThePreviousFileWhole) {
    const std::wstring path = PreparedPath();
    Settings = DistinctRecord();
    ASSERT_EQ(WriteSettings(), 1);
    Settings.Size = 250;
    CopyText(Settings.RecordingFolder, L"E:\\elsewhere");

    fake.writeFails = true;  // the disk fills up half way
    EXPECT_EQ(WriteSettings(), 0);
    EXPECT_EQ(fake.ReadBytes(path), kDistinctFile);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Cannot find or open file " + path + L". Cannot save settings");
    EXPECT_EQ(fake.messages[0].buttons, MessageButtons::Ok);
    // The record keeps the values that could not be saved.
    EXPECT_EQ(Settings.Size, 250);

    fake.writeFails = false;
    fake.replaceFails = true;
    EXPECT_EQ(WriteSettings(), 0);
    EXPECT_EQ(fake.ReadBytes(path), kDistinctFile);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, L"Cannot find or open file " + path + L". Cannot save settings");
}

TEST_F(SettingsTest, AWriteInterruptedBeforeTheReplaceLeavesThePreviousSettings) {
    fake.vistaOrLater = false;
    fake.notWindows7 = false;
    const std::wstring path = PreparedPath();
    Settings = DistinctRecord();
    ASSERT_EQ(WriteSettings(), 1);
    Settings.Size = 250;
    fake.replaceInterrupted = true;  // the process dies between writing and replacing
    EXPECT_THROW(WriteSettings(), FakeSettingsSystem::Interrupted);
    EXPECT_EQ(fake.ReadBytes(path), kDistinctFile);
    // Next start: the leftover temporary file is not read; the old settings are.
    fake.replaceInterrupted = false;
    Settings = SettingsRecord{};
    ASSERT_EQ(ReadSettings(), 1);
    ExpectSameFields(Settings, DistinctRecord());
    // And the next write goes over the leftover.
    Settings.Size = 250;
    ASSERT_EQ(WriteSettings(), 1);
    EXPECT_NE(fake.ReadBytes(path).find("\r\nSize: 250\r\n"), std::string::npos);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
}

TEST_F(SettingsTest, AnUnreadableFileEndsTheProcessWithAMessage) {
    const std::wstring path = PreparedPath();
    Settings.Size = 130;
    EXPECT_EQ(ReadSettings(), 0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Cannot find or open file " + path + L". Cannot read settings");
    EXPECT_EQ(fake.endedWith, std::vector<unsigned>{0});
    EXPECT_EQ(Settings.Size, 130);
    EXPECT_EQ(Settings.OnTop, 0);
}

TEST_F(SettingsTest, WithoutASettingsFolderNothingIsWrittenAnywhere) {
    EXPECT_EQ(WriteSettings(), 0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Cannot find or open file . Cannot save settings");
    EXPECT_TRUE(fake.replaced.empty());
}
