#include "tests/wine/winetest/wmvcore/StandIn.h"

void StandInTest::SetUp() {
    ASSERT_TRUE(m_com.Succeeded());
    m_dll.Reset(::LoadLibraryW(L"wmvcore.dll"));
    ASSERT_TRUE(m_dll) << "wmvcore.dll not found";
    m_createManager = reinterpret_cast<CreateProfileManagerFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_dll.Get(), "WMCreateProfileManager")));
    m_createWriter =
        reinterpret_cast<CreateWriterFn>(reinterpret_cast<void*>(::GetProcAddress(m_dll.Get(), "WMCreateWriter")));
    ASSERT_NE(m_createManager, nullptr);
    ASSERT_NE(m_createWriter, nullptr);
    ASSERT_EQ(m_createManager(&m_manager), S_OK);
    ASSERT_TRUE(m_manager);
}

ComPtr<IWMProfile> StandInTest::Load(const std::wstring& xml) {
    ComPtr<IWMProfile> profile;
    HRESULT hr = m_manager->LoadProfileByData(xml.c_str(), &profile);
    EXPECT_EQ(hr, S_OK);
    return profile;
}

ComPtr<IWMStreamConfig> StandInTest::Stream(IWMProfile* profile, DWORD index) {
    ComPtr<IWMStreamConfig> config;
    EXPECT_EQ(profile->GetStream(index, &config), S_OK);
    return config;
}

std::vector<uint8_t> MediaTypeOf(IWMStreamConfig* config) {
    ComPtr<IWMMediaProps> props;
    if (FAILED(config->QueryInterface(__uuidof(IWMMediaProps), reinterpret_cast<void**>(&props)))) return {};
    DWORD size = 0;
    if (props->GetMediaType(nullptr, &size) != S_OK) return {};
    std::vector<uint8_t> buffer(size);
    if (props->GetMediaType(reinterpret_cast<WM_MEDIA_TYPE*>(buffer.data()), &size) != S_OK) return {};
    return buffer;
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}
