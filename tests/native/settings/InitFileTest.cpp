// The shipped settings_qr_init.ini: written exactly as WriteSettings writes,
// holding the defaults the recorder starts with.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/native/settings/SettingsFixture.h"

TEST_F(SettingsTest, TheInitFileHoldsTheDefaultsInTheWrittenLayout) {
    std::ifstream in(TELVANE_INIT_FILE, std::ios::binary);
    ASSERT_TRUE(in.is_open()) << TELVANE_INIT_FILE;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string init = bytes.str();

    fake.vistaOrLater = true;
    fake.notWindows7 = true;
    fake.WriteBytes(L".\\settings_qr_init.ini", init);
    ASSERT_TRUE(PrepareSettingsFolder());
    ASSERT_EQ(ReadSettings(), 1);

    const SettingsRecord& s = Settings;
    EXPECT_EQ(s.Protocol, 1);
    EXPECT_EQ(s.VideoBitrate, 3000);
    EXPECT_EQ(s.AudioBitrate, 128);
    EXPECT_FLOAT_EQ(s.FrameRate, 15.0f);
    EXPECT_EQ(TextOf(s.AudioSource), L"Sonark5");
    EXPECT_EQ(TextOf(s.AudioInput), L"");
    EXPECT_EQ(TextOf(s.AudioOutput), L"Out");
    EXPECT_EQ(s.MaxFileTime, 0);
    EXPECT_EQ(s.AudioOnly, 0);
    EXPECT_EQ(s.VideoOnly, 0);
    EXPECT_EQ(s.VistaAudio, 1);
    EXPECT_EQ(s.SetTopWindow, 0);
    EXPECT_EQ(s.xTop, 150);
    EXPECT_EQ(s.yTop, 170);
    EXPECT_EQ(s.xBottom, 800);
    EXPECT_EQ(s.yBottom, 550);
    EXPECT_EQ(s.Bitcount, 24);
    EXPECT_EQ(s.Cursor, 1);
    EXPECT_EQ(s.Install, 0);
    EXPECT_EQ(s.User, 0);
    EXPECT_EQ(s.ShowVideo, 1);
    EXPECT_EQ(s.Basic, 0);
    EXPECT_EQ(s.Size, 100);
    EXPECT_EQ(s.FullScreen, 0);
    EXPECT_EQ(s.HideWindow, 0);
    EXPECT_EQ(TextOf(s.Hotkey), L"SHIFT+90");
    EXPECT_EQ(s.MiniClone, 1);
    EXPECT_EQ(s.Monitor, 1);
    EXPECT_EQ(s.DualAudio, 0);
    EXPECT_EQ(TextOf(s.AudioSource1), L"");
    EXPECT_EQ(s.AutoMark, 1);
    EXPECT_EQ(TextOf(s.Position), L"");
    EXPECT_EQ(s.Scale, 0);
    EXPECT_EQ(s.Setup, 0);
    // The empty recordings folder was filled in from the videos folder.
    EXPECT_EQ(TextOf(s.RecordingFolder), fake.videos + L"\\KQ Recordings");

    // Apart from that folder, the loaded record writes the very same bytes:
    // no correction changes a default and the layout is WriteSettings' own.
    SettingsRecord asShipped = Settings;
    asShipped.RecordingFolder[0] = L'\0';
    EXPECT_EQ(FormatSettingsText(asShipped), init);
}
