// The profile writers: bounds and their messages, the values that land in
// the text, the codec and audio tables, and the file's exact bytes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graph/ProfileWriter.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "tests/native/graph/FakeProfileSystem.h"

namespace {

class ProfileWriters : public ::testing::Test {
protected:
    void SetUp() override {
        CopyText(SettingsFolder, L"C:\\Users\\ann\\AppData\\Roaming\\Telvane 2");
        VideoCodecSelector = 4;
        CopyText(VideoSubtypeText, L"");
        CopyText(VideoFourCCText, L"");
    }
    std::wstring Text() const { return std::wstring(ProfileBuffer); }
    bool Has(const std::wstring& piece) const { return Text().find(piece) != std::wstring::npos; }

    FakeProfileSystem system;
};

TEST_F(ProfileWriters, AudioVideoCarriesEveryValueOfTheCall) {
    ASSERT_TRUE(WriteAudioVideoProfile(640, 480, 500, 64, 15));
    EXPECT_TRUE(system.messages.empty());
    for (const wchar_t* piece :
         {L"description=\"Streams: 1 audio 1 video\"", L"bitrate=\"64040\"", L"lsamplesize=\"1487\"",
          L"nAvgBytesPerSec=\"8005\"", L"nBlockAlign=\"1487\"", L"codecdata=\"008800000F0000000000\"",
          L"bitrate=\"500000\"", L"dwbitrate=\"500000\"", L"avgtimeperframe=\"666666\"", L"biwidth=\"640\"",
          L"biheight=\"480\"", L"bicompression=\"WMV1\"", L"subtype=\"{31564D57-0000-0010-8000-00AA00389B71}\"",
          L"streamnumber=\"2\"", L"bufferwindow=\"5000\""})
        EXPECT_TRUE(Has(piece)) << std::string(piece, piece + std::wcslen(piece));
    EXPECT_EQ(system.writtenPath, L"C:\\Users\\ann\\AppData\\Roaming\\Telvane 2\\QuillProf.prx");
}

TEST_F(ProfileWriters, FrameTimeIsTenMillionOverTheRateCutToAnInteger) {
    const struct {
        int fps;
        const wchar_t* expected;
    } cases[] = {{15, L"avgtimeperframe=\"666666\""},
                 {25, L"avgtimeperframe=\"400000\""},
                 {7, L"avgtimeperframe=\"1428571\""},
                 {200, L"avgtimeperframe=\"50000\""},
                 {1, L"avgtimeperframe=\"10000000\""}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAudioVideoProfile(320, 240, 300, 64, c.fps));
        EXPECT_TRUE(Has(c.expected)) << c.fps;
        ASSERT_TRUE(WriteVideoProfile(320, 240, 300, c.fps));
        EXPECT_TRUE(Has(c.expected)) << c.fps;
    }
}

TEST_F(ProfileWriters, BoundsOfTheVideoWriters) {
    const struct {
        int width, height, kbps, fps;
        bool videoOnly, audioVideo;
    } cases[] = {
        {640, 480, 32, 15, true, true},     {640, 480, 6000, 15, true, true},    {640, 480, 6001, 15, false, true},
        {640, 480, 12000, 15, false, true}, {640, 480, 12001, 15, false, false}, {640, 480, 31, 15, false, false},
        {0, 480, 500, 15, false, false},    {640, 0, 500, 15, false, false},     {1, 1, 500, 15, true, true},
        {640, 480, 500, 0, false, false},   {640, 480, 500, 200, true, true},    {640, 480, 500, 201, false, false},
        {-8, 480, 500, 15, false, false},
    };
    for (const auto& c : cases) {
        system.messages.clear();
        EXPECT_EQ(WriteVideoProfile(c.width, c.height, c.kbps, c.fps), c.videoOnly) << c.kbps << " " << c.fps;
        EXPECT_TRUE(system.messages.empty()) << "the video-only writer fails silently";
        EXPECT_EQ(WriteAudioVideoProfile(c.width, c.height, c.kbps, 64, c.fps), c.audioVideo) << c.kbps;
        if (c.audioVideo) {
            EXPECT_TRUE(system.messages.empty());
        } else {
            ASSERT_EQ(system.messages.size(), 1u);
            EXPECT_EQ(system.messages[0], L"Invalid video parameter (width=" + std::to_wstring(c.width) + L",height=" +
                                              std::to_wstring(c.height) + L",kbps=" + std::to_wstring(c.kbps) +
                                              L",fps=" + std::to_wstring(c.fps) + L")");
        }
    }
}

TEST_F(ProfileWriters, FailedBoundsWriteNoFile) {
    EXPECT_FALSE(WriteVideoProfile(640, 480, 6001, 15));
    EXPECT_FALSE(WriteAudioVideoProfile(640, 480, 12001, 64, 15));
    EXPECT_EQ(system.files, 0);
}

TEST_F(ProfileWriters, EveryAudioRowAndOnlyTheLowestHasItsOwnCodecData) {
    const struct {
        int kbps, bitrate, blockAlign, bytesPerSec;
        const wchar_t* codecData;
    } rows[] = {
        {32, 31960, 742, 3995, L"008800001F0000000000"},     {64, 64040, 1487, 8005, L"008800000F0000000000"},
        {96, 96024, 4459, 12003, L"008800000F0000000000"},   {128, 128016, 5945, 16002, L"008800000F0000000000"},
        {192, 192016, 8917, 24002, L"008800000F0000000000"}, {256, 256032, 5945, 32004, L"008800000F0000000000"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteAudioProfile(row.kbps)) << row.kbps;
        EXPECT_TRUE(Has(L"bitrate=\"" + std::to_wstring(row.bitrate) + L"\"")) << row.kbps;
        EXPECT_TRUE(Has(L"lsamplesize=\"" + std::to_wstring(row.blockAlign) + L"\"")) << row.kbps;
        EXPECT_TRUE(Has(L"nBlockAlign=\"" + std::to_wstring(row.blockAlign) + L"\"")) << row.kbps;
        EXPECT_TRUE(Has(L"nAvgBytesPerSec=\"" + std::to_wstring(row.bytesPerSec) + L"\"")) << row.kbps;
        EXPECT_TRUE(Has(std::wstring(L"codecdata=\"") + row.codecData + L"\"")) << row.kbps;
        EXPECT_TRUE(Has(L"description=\"Streams: 1 audio\""));
        EXPECT_FALSE(Has(L"Video Stream"));
    }
    EXPECT_TRUE(system.messages.empty());
}

TEST_F(ProfileWriters, AnAudioRateOutsideTheTableIsRefusedWithoutAFile) {
    for (int kbps : {0, 48, 65, 320, -64}) {
        system.messages.clear();
        std::fill(std::begin(ProfileBuffer), std::end(ProfileBuffer), L'x');
        EXPECT_FALSE(WriteAudioProfile(kbps));
        EXPECT_FALSE(WriteAudioVideoProfile(640, 480, 500, kbps, 15));
        ASSERT_EQ(system.messages.size(), 2u);
        const std::wstring expected =
            L"Invalid audio bit rate " + std::to_wstring(kbps) + L" kbps (use 32, 64, 96, 128, 192 or 256)";
        EXPECT_EQ(system.messages[0], expected);
        EXPECT_EQ(system.messages[1], expected);
    }
    EXPECT_EQ(system.files, 0);
}

TEST_F(ProfileWriters, TemplatesKeepTheirLineEndsAndEndWithTheRootTag) {
    ASSERT_TRUE(WriteVideoProfile(640, 480, 500, 15));
    EXPECT_EQ(Text().find(L"\r"), std::wstring::npos);
    EXPECT_EQ(Text().substr(Text().size() - 12), L"</profile> \n");
    EXPECT_TRUE(Has(L"\n\t\tvbrquality=\"80\" vbrenabled=\"1\" bitratemax=\"0\" bufferwindowmax=\"0\" \n"));
    EXPECT_TRUE(Has(L"streamnumber=\"1\" \n"));
    EXPECT_TRUE(Has(L"bufferwindow=\"-1\" \n"));

    ASSERT_TRUE(WriteAudioProfile(64));
    EXPECT_EQ(Text().find(L"\r"), std::wstring::npos);
    EXPECT_EQ(Text().substr(Text().size() - 12), L"</profile> \n");

    ASSERT_TRUE(WriteAudioVideoProfile(640, 480, 500, 64, 15));
    EXPECT_EQ(Text().substr(Text().size() - 13), L"</profile> \r\n");
    EXPECT_FALSE(Has(L"vbrquality"));
    // Every line break of the audio+video template is CR LF.
    const std::wstring text = Text();
    for (size_t i = text.find(L'\n'); i != std::wstring::npos; i = text.find(L'\n', i + 1))
        ASSERT_EQ(text[i - 1], L'\r') << "at " << i;
    // The audio stream comes first.
    EXPECT_LT(text.find(L"Audio Stream"), text.find(L"Video Stream"));
}

TEST_F(ProfileWriters, CodecSelectorPicksTheTableEntryTheWriterOffers) {
    VideoCodecSelector = 0;
    ASSERT_TRUE(WriteVideoProfile(64, 48, 100, 10));
    EXPECT_TRUE(Has(L"bicompression=\"WMV3\""));
    VideoCodecSelector = 3;
    ASSERT_TRUE(WriteVideoProfile(64, 48, 100, 10));
    EXPECT_TRUE(Has(L"bicompression=\"MSS2\""));
    EXPECT_TRUE(Has(L"subtype=\"{3253534D-0000-0010-8000-00AA00389B71}\""));
    // The audio+video writer does not offer the screen codec, nor a selector
    // outside the table: the texts of the last selection stay.
    for (int selector : {3, 5, -1}) {
        VideoCodecSelector = selector;
        ASSERT_TRUE(WriteAudioVideoProfile(64, 48, 100, 64, 10));
        EXPECT_TRUE(Has(L"bicompression=\"MSS2\"")) << selector;
    }
    VideoCodecSelector = 2;
    ASSERT_TRUE(WriteAudioVideoProfile(64, 48, 100, 64, 10));
    EXPECT_TRUE(Has(L"bicompression=\"WVC1\""));
    EXPECT_TRUE(Has(L"subtype=\"{31435657-0000-0010-8000-00AA00389B71}\""));
}

TEST_F(ProfileWriters, FileIsTheWholeBufferAsUtf16WithoutByteOrderMark) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(round == 0 ? WriteAudioVideoProfile(640, 480, 500, 64, 15) : WriteAudioProfile(32));
        ASSERT_EQ(system.written.size(), 20000u);
        EXPECT_EQ(system.written[0], '<');
        EXPECT_EQ(system.written[1], 0);
        const std::wstring text = Text();
        for (size_t i = 0; i < text.size(); ++i) {
            ASSERT_EQ(system.written[2 * i], static_cast<uint8_t>(text[i]));
            ASSERT_EQ(system.written[2 * i + 1], 0);
        }
        for (size_t i = 2 * text.size(); i < 20000; ++i) ASSERT_EQ(system.written[i], 0) << i;
    }
    EXPECT_EQ(system.files, 2);
}

TEST_F(ProfileWriters, FileFailuresHaveTheirMessages) {
    system.result = ProfileFileResult::CannotCreate;
    EXPECT_FALSE(WriteAudioProfile(64));
    system.result = ProfileFileResult::CannotWrite;
    EXPECT_FALSE(WriteVideoProfile(640, 480, 500, 15));
    EXPECT_EQ(system.messages, (std::vector<std::wstring>{L"Cannot create profile  file", L"Cannot write profile"}));
}

TEST_F(ProfileWriters, SettingsFolderTooLongForThePathCreatesNothing) {
    // 999 characters fit the path's 1000 with the terminator.
    CopyText(SettingsFolder, std::wstring(985, L'f'));
    EXPECT_EQ(ProfileFilePath(), std::wstring(985, L'f') + L"\\QuillProf.prx");
    CopyText(SettingsFolder, std::wstring(986, L'f'));
    EXPECT_EQ(ProfileFilePath(), L"");
    EXPECT_FALSE(WriteAudioProfile(64));
    EXPECT_EQ(system.messages, std::vector<std::wstring>{L"Cannot create profile  file"});
    EXPECT_EQ(system.files, 0);
}

TEST(ProfileWriterSystem, WithoutASystemNothingIsWritten) {
    SetProfileSystem(nullptr);
    EXPECT_FALSE(WriteAudioProfile(64));
}

}  // namespace
