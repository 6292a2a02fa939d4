// Profiles that are not what the runtime reads fail LoadProfileByData with
// NS_E_INVALIDPROFILE and hand out nothing; null pointers are E_POINTER.

#include <windows.h>

#include <wmsdkidl.h>

#include <cwchar>
#include <thread>

#include "tests/wine/winetest/wmvcore/Cases.h"
#include "tests/wine/winetest/wmvcore/StandIn.h"

namespace {

// The first `from` in xml replaced by `to`.
std::wstring Edit(std::wstring xml, const wchar_t* from, const wchar_t* to) {
    size_t at = xml.find(from);
    if (at == std::wstring::npos) return L"<edit not applicable>";
    return xml.replace(at, std::wcslen(from), to);
}

// The audio+video profile, edited.
std::wstring Edited(const wchar_t* from, const wchar_t* to) {
    return Edit(AudioVideoProfile(kAudio64, kVga15), from, to);
}

std::wstring Nested(int depth) {
    std::wstring xml = L"<profile version=\"589824\">";
    for (int i = 0; i < depth; ++i) xml += L"<a>";
    for (int i = 0; i < depth; ++i) xml += L"</a>";
    return xml + L"</profile>";
}

struct BadProfile {
    const char* label;
    std::wstring xml;
    HRESULT expected;
};

std::vector<BadProfile> BadProfiles() {
    const std::wstring full = AudioVideoProfile(kAudio64, kVga15);
    return {
        {"the unedited profile loads", full, S_OK},
        {"character data in a stream is ignored",
         Edited(L"> \r\n\t\t <wmmediatype", L"> x=\"1\" \r\n\t\t <wmmediatype"), S_OK},
        {"names match without regard to case", Edited(L"nChannels", L"NCHANNELS"), S_OK},
        {"empty text", L"", kInvalidProfile},
        {"not XML", L"Quill Profile", kInvalidProfile},
        {"unclosed root", full.substr(0, full.size() / 2), kInvalidProfile},
        {"mismatched end tag", Edited(L"</profile>", L"</profil>"), kInvalidProfile},
        {"another root", Edit(Edited(L"<profile ", L"<settings "), L"</profile>", L"</settings>"), kInvalidProfile},
        {"no majortype", Edited(L"majortype=", L"minortype="), kInvalidProfile},
        {"majortype not a GUID", Edited(L"{73647561-0000-0010-8000-00AA00389B71}", L"Audio"), kInvalidProfile},
        {"unknown majortype (text)",
         Edited(L"{73647561-0000-0010-8000-00AA00389B71}", L"{73747874-0000-0010-8000-00AA00389B71}"), kInvalidProfile},
        {"stream number 0", Edited(L"streamnumber=\"1\"", L"streamnumber=\"0\""), kInvalidProfile},
        {"stream number 64", Edited(L"streamnumber=\"1\"", L"streamnumber=\"64\""), kInvalidProfile},
        {"stream number twice", Edited(L"streamnumber=\"2\"", L"streamnumber=\"1\""), kInvalidProfile},
        {"bitrate with a unit", Edited(L"bitrate=\"64040\"", L"bitrate=\"64040k\""), kInvalidProfile},
        {"negative bitrate", Edited(L"bitrate=\"64040\"", L"bitrate=\"-5\""), kInvalidProfile},
        {"bitrate past 32 bits", Edited(L"bitrate=\"64040\"", L"bitrate=\"4294967296\""), kInvalidProfile},
        {"nChannels past 16 bits", Edited(L"nChannels=\"2\"", L"nChannels=\"65536\""), kInvalidProfile},
        {"blank in a number", Edited(L"nChannels=\"2\"", L"nChannels=\" 2\""), kInvalidProfile},
        {"odd codec data", Edited(L"008800000F0000000000", L"008800000F000000000"), kInvalidProfile},
        {"codec data not hex", Edited(L"008800000F0000000000", L"00880000ZZ0000000000"), kInvalidProfile},
        {"FourCC of three", Edited(L"\"WMV1\"", L"\"WMV\""), kInvalidProfile},
        {"FourCC of five", Edited(L"\"WMV1\"", L"\"WMV1X\""), kInvalidProfile},
        {"fractional frame time", Edited(L"666666", L"666666.5"), kInvalidProfile},
        {"no subtype", Edited(L"subtype=", L"sub="), kInvalidProfile},
        {"audio without waveformatex", Edited(L"<waveformatex ", L"<waveformat "), kInvalidProfile},
        {"video without bitmapinfoheader", Edited(L"<bitmapinfoheader ", L"<bitmapheader "), kInvalidProfile},
        {"flag other than 0 or 1", Edited(L"bfixedsizesamples=\"1\"", L"bfixedsizesamples=\"2\""), kInvalidProfile},
        {"nesting no profile has", Nested(100), kInvalidProfile},
    };
}

TEST_F(StandInTest, BadProfilesFailWithInvalidProfile) {
    for (const BadProfile& c : BadProfiles()) {
        SCOPED_TRACE(c.label);
        ComPtr<IWMProfile> profile;
        EXPECT_EQ(m_manager->LoadProfileByData(c.xml.c_str(), &profile), c.expected);
        EXPECT_EQ(static_cast<bool>(profile), c.expected == S_OK);
    }
}

TEST_F(StandInTest, NullPointersAreRefused) {
    const std::wstring xml = AudioOnlyProfile(kAudio64);
    ComPtr<IWMProfile> profile;
    EXPECT_EQ(m_manager->LoadProfileByData(nullptr, &profile), E_POINTER);
    EXPECT_EQ(m_manager->LoadProfileByData(xml.c_str(), nullptr), E_POINTER);
    EXPECT_EQ(m_createManager(nullptr), E_POINTER);
    EXPECT_EQ(m_createWriter(nullptr, nullptr), E_POINTER);
    ASSERT_EQ(m_manager->LoadProfileByData(xml.c_str(), &profile), S_OK);
    EXPECT_EQ(profile->GetStreamCount(nullptr), E_POINTER);
    EXPECT_EQ(profile->GetStream(0, nullptr), E_POINTER);
    EXPECT_EQ(profile->SetName(nullptr), E_POINTER);
    EXPECT_EQ(profile->GetName(nullptr, nullptr), E_POINTER);
}

// The runtime is called from threads that may not have COM; the XML parser
// needs it, so the stand-in brings its own for the call.
TEST_F(StandInTest, LoadsOnAThreadWithoutCom) {
    const std::wstring xml = VideoOnlyProfile(kVga15);
    HRESULT hr = E_FAIL;
    DWORD streams = 0;
    CreateProfileManagerFn create = m_createManager;
    std::thread worker([&] {
        ComPtr<IWMProfileManager> manager;
        if (FAILED(hr = create(&manager))) return;
        ComPtr<IWMProfile> profile;
        if (FAILED(hr = manager->LoadProfileByData(xml.c_str(), &profile))) return;
        hr = profile->GetStreamCount(&streams);
    });
    worker.join();
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(streams, 1u);
}

}  // namespace
