// The recorder's three profile texts loaded through LoadProfileByData: every
// stream value and the media types byte for byte.

#include <windows.h>

#include <strmif.h>

#include <amvideo.h>
#include <mmreg.h>
#include <wmsdkidl.h>

#include <cstring>

#include "tests/wine/winetest/wmvcore/Cases.h"
#include "tests/wine/winetest/wmvcore/StandIn.h"

namespace {

const GUID kFormatWaveFormatEx = {0x05589f81, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};
const GUID kFormatVideoInfo = {0x05589f80, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};
const GUID kSubtypeWma = {0x00000161, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct ExpectedStream {
    GUID major;
    WORD number;
    const wchar_t* name;
    const wchar_t* connection;
    DWORD bitrate;
    DWORD bufferWindow;
    GUID subtype;
    BOOL fixedSize;
    BOOL temporal;
    ULONG sampleSize;
    GUID formatType;
    std::vector<uint8_t> format;
};

ExpectedStream AudioStream(uint32_t blockAlign, uint32_t avgBytes, uint32_t bitrate, std::vector<uint8_t> codec) {
    Bytes wave;
    wave.U16(353).U16(2).U32(44100).U32(avgBytes).U16(static_cast<uint16_t>(blockAlign)).U16(16);
    wave.U16(static_cast<uint16_t>(codec.size())).Raw(codec);
    return {WMMEDIATYPE_Audio,
            1,
            L"Audio Stream",
            L"Audio409",
            bitrate,
            0xFFFFFFFF,
            kSubtypeWma,
            TRUE,
            FALSE,
            blockAlign,
            kFormatWaveFormatEx,
            wave.Get()};
}

ExpectedStream VideoStream(WORD number, DWORD bufferWindow) {
    Bytes info;
    for (int i = 0; i < 8; ++i) info.U32(0);  // rcSource, rcTarget
    info.U32(500000).U32(0).U64(666666);
    info.U32(40).U32(640).U32(480).U16(1).U16(24).Raw({'W', 'M', 'V', '1'});
    for (int i = 0; i < 5; ++i) info.U32(0);
    return {WMMEDIATYPE_Video,
            number,
            L"Video Stream",
            L"Video409",
            500000,
            bufferWindow,
            WMMEDIASUBTYPE_WMV1,
            FALSE,
            TRUE,
            0,
            kFormatVideoInfo,
            info.Get()};
}

struct ProfileCase {
    const char* label;
    std::wstring xml;
    const wchar_t* description;
    std::vector<ExpectedStream> streams;
};

const std::vector<uint8_t> kCodec64 = {0x00, 0x88, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kCodec32 = {0x00, 0x88, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00};

std::vector<ProfileCase> Cases() {
    return {
        {"video only", VideoOnlyProfile(kVga15), L"Streams: 1 video", {VideoStream(1, 0xFFFFFFFF)}},
        {"audio only 64", AudioOnlyProfile(kAudio64), L"Streams: 1 audio", {AudioStream(1487, 8005, 64040, kCodec64)}},
        {"audio only 32", AudioOnlyProfile(kAudio32), L"Streams: 1 audio", {AudioStream(742, 3995, 31960, kCodec32)}},
        {"audio and video",
         AudioVideoProfile(kAudio64, kVga15),
         L"Streams: 1 audio 1 video",
         {AudioStream(1487, 8005, 64040, kCodec64), VideoStream(2, 5000)}},
    };
}

void ExpectStream(IWMStreamConfig* config, const ExpectedStream& want) {
    GUID type = GUID_NULL;
    WORD number = 0;
    DWORD bitrate = 0, window = 0;
    EXPECT_EQ(config->GetStreamType(&type), S_OK);
    EXPECT_EQ(type, want.major);
    EXPECT_EQ(config->GetStreamNumber(&number), S_OK);
    EXPECT_EQ(number, want.number);
    EXPECT_EQ(TextOf(config, &IWMStreamConfig::GetStreamName), want.name);
    EXPECT_EQ(TextOf(config, &IWMStreamConfig::GetConnectionName), want.connection);
    EXPECT_EQ(config->GetBitrate(&bitrate), S_OK);
    EXPECT_EQ(bitrate, want.bitrate);
    EXPECT_EQ(config->GetBufferWindow(&window), S_OK);
    EXPECT_EQ(window, want.bufferWindow);

    std::vector<uint8_t> buffer = MediaTypeOf(config);
    ASSERT_EQ(buffer.size(), sizeof(WM_MEDIA_TYPE) + want.format.size());
    const auto* mt = reinterpret_cast<const WM_MEDIA_TYPE*>(buffer.data());
    EXPECT_EQ(mt->majortype, want.major);
    EXPECT_EQ(mt->subtype, want.subtype);
    EXPECT_EQ(mt->bFixedSizeSamples, want.fixedSize);
    EXPECT_EQ(mt->bTemporalCompression, want.temporal);
    EXPECT_EQ(mt->lSampleSize, want.sampleSize);
    EXPECT_EQ(mt->formattype, want.formatType);
    EXPECT_EQ(mt->pUnk, nullptr);
    ASSERT_EQ(mt->cbFormat, want.format.size());
    ASSERT_EQ(mt->pbFormat, buffer.data() + sizeof(WM_MEDIA_TYPE));
    EXPECT_EQ(std::vector<uint8_t>(mt->pbFormat, mt->pbFormat + mt->cbFormat), want.format);
}

TEST_F(StandInTest, LoadsEachProfileTheRecorderWrites) {
    for (const ProfileCase& c : Cases()) {
        SCOPED_TRACE(c.label);
        ComPtr<IWMProfile> profile = Load(c.xml);
        ASSERT_TRUE(profile);
        WMT_VERSION version{};
        EXPECT_EQ(profile->GetVersion(&version), S_OK);
        EXPECT_EQ(version, WMT_VER_9_0);
        EXPECT_EQ(TextOf(profile.Get(), &IWMProfile::GetName), L"Quill Profile");
        EXPECT_EQ(TextOf(profile.Get(), &IWMProfile::GetDescription), c.description);
        DWORD count = 0;
        EXPECT_EQ(profile->GetStreamCount(&count), S_OK);
        ASSERT_EQ(count, c.streams.size());
        for (DWORD i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            ExpectStream(Stream(profile.Get(), i).Get(), c.streams[i]);
            ComPtr<IWMStreamConfig> byNumber;
            ASSERT_EQ(profile->GetStreamByNumber(c.streams[i].number, &byNumber), S_OK);
            ExpectStream(byNumber.Get(), c.streams[i]);
        }
    }
}

TEST_F(StandInTest, MediaTypesReadAsTheirStructures) {
    ComPtr<IWMProfile> profile = Load(AudioVideoProfile(kAudio64, kVga15));
    ASSERT_TRUE(profile);
    std::vector<uint8_t> audio = MediaTypeOf(Stream(profile.Get(), 0).Get());
    std::vector<uint8_t> video = MediaTypeOf(Stream(profile.Get(), 1).Get());
    ASSERT_EQ(audio.size(), sizeof(WM_MEDIA_TYPE) + sizeof(WAVEFORMATEX) + 10);
    ASSERT_EQ(video.size(), sizeof(WM_MEDIA_TYPE) + sizeof(VIDEOINFOHEADER));

    WAVEFORMATEX wave;
    std::memcpy(&wave, audio.data() + sizeof(WM_MEDIA_TYPE), sizeof wave);
    EXPECT_EQ(wave.wFormatTag, 353);
    EXPECT_EQ(wave.nChannels, 2);
    EXPECT_EQ(wave.nSamplesPerSec, 44100u);
    EXPECT_EQ(wave.nAvgBytesPerSec, 8005u);
    EXPECT_EQ(wave.nBlockAlign, 1487);
    EXPECT_EQ(wave.wBitsPerSample, 16);
    EXPECT_EQ(wave.cbSize, 10);

    VIDEOINFOHEADER info;
    std::memcpy(&info, video.data() + sizeof(WM_MEDIA_TYPE), sizeof info);
    EXPECT_EQ(info.bmiHeader.biWidth, 640);
    EXPECT_EQ(info.bmiHeader.biHeight, 480);
    EXPECT_EQ(info.bmiHeader.biCompression, MAKEFOURCC('W', 'M', 'V', '1'));
    EXPECT_EQ(info.AvgTimePerFrame, 666666);
    EXPECT_EQ(info.dwBitRate, 500000u);
}

TEST_F(StandInTest, GetMediaTypeTakesTwoCalls) {
    ComPtr<IWMProfile> profile = Load(AudioOnlyProfile(kAudio64));
    ASSERT_TRUE(profile);
    ComPtr<IWMMediaProps> props;
    ASSERT_EQ(Stream(profile.Get(), 0).As(props), S_OK);

    DWORD size = 0;
    EXPECT_EQ(props->GetMediaType(nullptr, nullptr), E_INVALIDARG);
    ASSERT_EQ(props->GetMediaType(nullptr, &size), S_OK);
    ASSERT_EQ(size, sizeof(WM_MEDIA_TYPE) + 18u + 10u);  // then WAVEFORMATEX, codec data

    std::vector<uint8_t> buffer(size + 16, 0xCC);
    auto* mt = reinterpret_cast<WM_MEDIA_TYPE*>(buffer.data());
    DWORD small = size - 1;
    EXPECT_EQ(props->GetMediaType(mt, &small), kBufferTooSmall);
    EXPECT_EQ(small, size);
    EXPECT_EQ(buffer[0], 0xCC) << "nothing written into a buffer that is too small";

    DWORD exact = size;
    ASSERT_EQ(props->GetMediaType(mt, &exact), S_OK);
    EXPECT_EQ(exact, size);
    EXPECT_EQ(mt->pbFormat, buffer.data() + sizeof(WM_MEDIA_TYPE));
    EXPECT_EQ(mt->cbFormat, 28u);
    EXPECT_EQ(buffer[size], 0xCC) << "nothing written past the size asked for";
}

TEST_F(StandInTest, TextsTakeTwoCalls) {
    ComPtr<IWMProfile> profile = Load(AudioOnlyProfile(kAudio64));
    ASSERT_TRUE(profile);
    ComPtr<IWMStreamConfig> config = Stream(profile.Get(), 0);

    WORD length = 0;
    EXPECT_EQ(config->GetStreamName(nullptr, nullptr), E_POINTER);
    ASSERT_EQ(config->GetStreamName(nullptr, &length), S_OK);
    EXPECT_EQ(length, 13);  // "Audio Stream" and the terminator
    WCHAR buffer[16] = L"untouched";
    WORD small = 12;
    EXPECT_EQ(config->GetStreamName(buffer, &small), kBufferTooSmall);
    EXPECT_EQ(small, 13);
    EXPECT_STREQ(buffer, L"untouched");

    DWORD nameLength = 0;
    ASSERT_EQ(profile->GetName(nullptr, &nameLength), S_OK);
    EXPECT_EQ(nameLength, 14u);
    WCHAR name[14];
    ASSERT_EQ(profile->GetName(name, &nameLength), S_OK);
    EXPECT_STREQ(name, L"Quill Profile");
}

TEST_F(StandInTest, StreamsAreHandedOutAsCopies) {
    ComPtr<IWMProfile> profile = Load(AudioVideoProfile(kAudio64, kVga15));
    ASSERT_TRUE(profile);
    ComPtr<IWMStreamConfig> copy = Stream(profile.Get(), 1);
    ASSERT_EQ(copy->SetBitrate(250000), S_OK);
    ASSERT_EQ(copy->SetStreamName(L"Screen"), S_OK);
    DWORD bitrate = 0;
    EXPECT_EQ(Stream(profile.Get(), 1)->GetBitrate(&bitrate), S_OK);
    EXPECT_EQ(bitrate, 500000u) << "changed before ReconfigStream";

    ASSERT_EQ(profile->ReconfigStream(copy.Get()), S_OK);
    ComPtr<IWMStreamConfig> after = Stream(profile.Get(), 1);
    EXPECT_EQ(after->GetBitrate(&bitrate), S_OK);
    EXPECT_EQ(bitrate, 250000u);
    EXPECT_EQ(TextOf(after.Get(), &IWMStreamConfig::GetStreamName), L"Screen");
    std::vector<uint8_t> given = MediaTypeOf(copy.Get()), kept = MediaTypeOf(after.Get());
    ASSERT_EQ(kept.size(), given.size());
    EXPECT_EQ(std::vector<uint8_t>(kept.begin() + sizeof(WM_MEDIA_TYPE), kept.end()),
              std::vector<uint8_t>(given.begin() + sizeof(WM_MEDIA_TYPE), given.end()));

    ComPtr<IWMStreamConfig> none;
    EXPECT_EQ(profile->GetStream(2, &none), E_INVALIDARG);
    EXPECT_EQ(profile->GetStreamByNumber(3, &none), kNoStream);
    EXPECT_EQ(profile->GetStreamByNumber(0, &none), E_INVALIDARG);
    EXPECT_EQ(profile->GetStreamByNumber(64, &none), E_INVALIDARG);
    EXPECT_FALSE(none);
    EXPECT_EQ(copy->SetStreamNumber(64), E_INVALIDARG);
    EXPECT_EQ(copy->SetStreamNumber(0), E_INVALIDARG);
}

}  // namespace
