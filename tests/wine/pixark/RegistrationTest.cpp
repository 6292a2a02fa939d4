// pixark.ax as a COM server: regsvr32 registration and its clean removal,
// creation by class id, the settings interface and what it refuses, the
// settings handed to a later instance, the offered media types and the
// live source's paused state.

#include <gtest/gtest.h>

#include <strmif.h>

#include <amvideo.h>
#include <uuids.h>

#include <cwctype>
#include <string>

#include "framework/dshow/MediaType.h"
#include "framework/win/Handles.h"
#include "tests/wine/pixark/PixarkGraph.h"

namespace {

const wchar_t kClassKey[] = L"CLSID\\{4EA6930A-2C8A-4AE6-A561-56E4B5044437}";
const wchar_t kServerKey[] = L"CLSID\\{4EA6930A-2C8A-4AE6-A561-56E4B5044437}\\InprocServer32";
const wchar_t kInstanceKey[] =
    L"CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\{4EA6930A-2C8A-4AE6-A561-56E4B5044437}";

// Registers the product's pixark.ax for the whole program, removes it after.
class RegisteredPixark : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(RunCommand(L"regsvr32.exe /s \"" + PixarkPath() + L"\""), 0u); }
    void TearDown() override { RunCommand(L"regsvr32.exe /s /u \"" + PixarkPath() + L"\""); }
};
const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new RegisteredPixark);

bool ReadString(const wchar_t* key, const wchar_t* name, std::wstring& value) {
    wchar_t data[1024];
    DWORD bytes = sizeof data;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key, name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool KeyExists(const wchar_t* key) {
    win::RegKey k;
    HKEY h = nullptr;
    const bool found = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &h) == ERROR_SUCCESS;
    k.Reset(h);
    return found;
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

class PixarkComTest : public ::testing::Test {
protected:
    win::ScopedComApartment m_com;
};

TEST_F(PixarkComTest, RegistrationWritesTheServerAndTheFilterCategoryEntry) {
    std::wstring value;
    ASSERT_TRUE(ReadString(kClassKey, nullptr, value));
    EXPECT_EQ(value, L"Pixark BCK");
    ASSERT_TRUE(ReadString(kServerKey, nullptr, value));
    EXPECT_EQ(Lower(value), Lower(PixarkPath()));
    ASSERT_TRUE(ReadString(kServerKey, L"ThreadingModel", value));
    EXPECT_EQ(value, L"Both");
    ASSERT_TRUE(ReadString(kInstanceKey, L"FriendlyName", value));
    EXPECT_EQ(value, L"Pixark BCK");
    ASSERT_TRUE(ReadString(kInstanceKey, L"CLSID", value));
    EXPECT_EQ(value, L"{4EA6930A-2C8A-4AE6-A561-56E4B5044437}");
}

TEST_F(PixarkComTest, UnregistrationRemovesEveryKeyAndCreationFails) {
    ASSERT_EQ(RunCommand(L"regsvr32.exe /s /u \"" + PixarkPath() + L"\""), 0u);
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kInstanceKey));
    EXPECT_FALSE(CreatePixark());
    ASSERT_EQ(RunCommand(L"regsvr32.exe /s \"" + PixarkPath() + L"\""), 0u);
    EXPECT_TRUE(KeyExists(kServerKey));
    EXPECT_TRUE(KeyExists(kInstanceKey));
    EXPECT_TRUE(CreatePixark());
}

TEST_F(PixarkComTest, CreatedByClassIdWithOneOutputPinAndItsInterfaces) {
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    CLSID clsid{};
    ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(clsid == kScreenCaptureFilterClsid);
    ComPtr<IScreenCaptureSettings> settings;
    EXPECT_EQ(filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&settings)), S_OK);
    ComPtr<IPixarkStats> stats;
    EXPECT_EQ(filter->QueryInterface(__uuidof(IPixarkStats), reinterpret_cast<void**>(&stats)), S_OK);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);
    ComPtr<IPin> pin;
    int count = 0;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ++count;
        PIN_DIRECTION dir;
        ASSERT_EQ(pin->QueryDirection(&dir), S_OK);
        EXPECT_EQ(dir, PINDIR_OUTPUT);
    }
    EXPECT_EQ(count, 1);
}

struct RefusedCase {
    const char* what;
    pixark::CaptureSettings s;
};

TEST_F(PixarkComTest, RefusedSettingsGiveInvalidArgAndLeaveTheTypeAlone) {
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    ASSERT_EQ(Configure(filter.Get(), Rectangle(8, 8, 328, 248, 15, 32)), S_OK);
    const RefusedCase cases[] = {
        {"zero width", Rectangle(100, 8, 100, 248)},     {"zero height", Rectangle(8, 50, 328, 50)},
        {"negative width", Rectangle(400, 8, 100, 248)}, {"negative height", Rectangle(8, 300, 328, 100)},
        {"frame rate 0", Rectangle(8, 8, 328, 248, 0)},  {"frame rate -1", Rectangle(8, 8, 328, 248, -1)},
        {"16 bits", Rectangle(8, 8, 328, 248, 15, 16)},  {"8 bits", Rectangle(8, 8, 328, 248, 15, 8)},
    };
    for (const auto& c : cases) EXPECT_EQ(Configure(filter.Get(), c.s), E_INVALIDARG) << c.what;
    ComPtr<IPin> pin = OutputPin(filter.Get());
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(pin->EnumMediaTypes(&types), S_OK);
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(types->Next(1, &mt, nullptr), S_OK);
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
    EXPECT_EQ(vih->bmiHeader.biWidth, 320);
    EXPECT_EQ(vih->bmiHeader.biHeight, 240);
    EXPECT_EQ(vih->AvgTimePerFrame, 666666);
    DeleteMediaType(mt);
}

struct TypeCase {
    int32_t bits, fps;
    GUID first, second;
    WORD firstBits;
    REFERENCE_TIME period;
};

TEST_F(PixarkComTest, OffersTheChosenDepthFirstThenTheOther) {
    const TypeCase cases[] = {
        {32, 30, MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24, 32, 333333},
        {24, 15, MEDIASUBTYPE_RGB24, MEDIASUBTYPE_RGB32, 24, 666666},
    };
    for (const auto& c : cases) {
        ComPtr<IBaseFilter> filter = CreatePixark();
        ASSERT_TRUE(filter);
        ASSERT_EQ(Configure(filter.Get(), Rectangle(1, 1, 641, 361, c.fps, c.bits)), S_OK);
        ComPtr<IEnumMediaTypes> types;
        ASSERT_EQ(OutputPin(filter.Get())->EnumMediaTypes(&types), S_OK);
        AM_MEDIA_TYPE* mts[3] = {};
        ULONG got = 0;
        EXPECT_EQ(types->Next(3, mts, &got), S_FALSE);
        ASSERT_EQ(got, 2u);
        EXPECT_TRUE(mts[0]->subtype == c.first) << c.bits;
        EXPECT_TRUE(mts[1]->subtype == c.second) << c.bits;
        for (ULONG i = 0; i < got; ++i) {
            EXPECT_TRUE(mts[i]->majortype == MEDIATYPE_Video);
            EXPECT_TRUE(mts[i]->formattype == FORMAT_VideoInfo);
            ASSERT_GE(mts[i]->cbFormat, sizeof(VIDEOINFOHEADER));
            const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mts[i]->pbFormat);
            EXPECT_EQ(vih->bmiHeader.biWidth, 640);
            EXPECT_EQ(vih->bmiHeader.biHeight, 360);  // positive: bottom-up
            EXPECT_EQ(vih->bmiHeader.biCompression, static_cast<DWORD>(BI_RGB));
            EXPECT_EQ(vih->AvgTimePerFrame, c.period);
            EXPECT_EQ(vih->bmiHeader.biSizeImage, 640u * 360u * vih->bmiHeader.biBitCount / 8u);
            EXPECT_EQ(mts[i]->lSampleSize, vih->bmiHeader.biSizeImage);
        }
        EXPECT_EQ(reinterpret_cast<const VIDEOINFOHEADER*>(mts[0]->pbFormat)->bmiHeader.biBitCount, c.firstBits);
        for (ULONG i = 0; i < got; ++i) DeleteMediaType(mts[i]);
    }
}

TEST_F(PixarkComTest, AnInstanceCreatedLaterStartsWithTheLastSettings) {
    {
        ComPtr<IBaseFilter> first = CreatePixark();
        ASSERT_TRUE(first);
        ASSERT_EQ(Configure(first.Get(), Rectangle(16, 24, 16 + 256, 24 + 128, 5, 24)), S_OK);
        // A refused call afterwards does not replace them.
        ASSERT_EQ(Configure(first.Get(), Rectangle(0, 0, 0, 0)), E_INVALIDARG);
    }
    ComPtr<IBaseFilter> second = CreatePixark();
    ASSERT_TRUE(second);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(OutputPin(second.Get())->EnumMediaTypes(&types), S_OK);
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(types->Next(1, &mt, nullptr), S_OK);
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
    EXPECT_EQ(vih->bmiHeader.biWidth, 256);
    EXPECT_EQ(vih->bmiHeader.biHeight, 128);
    EXPECT_EQ(vih->bmiHeader.biBitCount, 24);
    EXPECT_EQ(vih->AvgTimePerFrame, 2000000);
    DeleteMediaType(mt);
}

TEST_F(PixarkComTest, PausedItSaysItCannotCue) {
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    FILTER_STATE state;
    EXPECT_EQ(filter->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    ASSERT_EQ(filter->Pause(), S_OK);
    EXPECT_EQ(filter->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    ASSERT_EQ(filter->Stop(), S_OK);
    EXPECT_EQ(filter->GetState(0, &state), S_OK);
}

}  // namespace
