// The DLL the recorder gets for "wmvcore.dll" in the test prefix is this
// stand-in; its objects follow COM's identity and counting rules; Wine's own
// users of wmvcore still load.

#include <windows.h>

#include <dmodshow.h>
#include <strmif.h>
#include <wmsdkidl.h>

#include <cstring>
#include <cwctype>

#include "tests/wine/winetest/wmvcore/Cases.h"
#include "tests/wine/winetest/wmvcore/StandIn.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

template <class I>
bool Offers(IUnknown* object) {
    ComPtr<I> other;
    HRESULT hr = object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&other));
    return hr == S_OK && other;
}

IUnknown* Identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
    return unknown.Get();  // compared only while object holds it
}

TEST_F(StandInTest, IsOursFromThePrefixSystemFolder) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(m_dll.Get(), path, MAX_PATH), 0u);
    EXPECT_EQ(Lower(path), L"c:\\windows\\system32\\wmvcore.dll");
    // Wine marks its own PE modules right after the DOS header.
    const char* header = reinterpret_cast<const char*>(m_dll.Get()) + 0x40;
    EXPECT_NE(std::strncmp(header, "Wine builtin DLL", 16), 0) << "Wine's builtin wmvcore was loaded";
    ComPtr<IWMProfile> profile;
    EXPECT_EQ(m_manager->LoadProfileByData(AudioOnlyProfile(kAudio64).c_str(), &profile), S_OK)
        << "Wine's own wmvcore does not implement LoadProfileByData";
}

TEST_F(StandInTest, QueryInterfaceMatrix) {
    ComPtr<IWMProfile> profile = Load(AudioOnlyProfile(kAudio64));
    ASSERT_TRUE(profile);
    ComPtr<IWMStreamConfig> config = Stream(profile.Get(), 0);
    ComPtr<IWMWriter> writer;
    ASSERT_EQ(m_createWriter(nullptr, &writer), S_OK);

    EXPECT_TRUE(Offers<IWMProfileManager>(m_manager.Get()));
    EXPECT_FALSE(Offers<IWMProfileManager2>(m_manager.Get()));
    EXPECT_FALSE(Offers<IWMProfile>(m_manager.Get()));
    EXPECT_TRUE(Offers<IWMProfile>(profile.Get()));
    EXPECT_FALSE(Offers<IWMProfile2>(profile.Get()));
    EXPECT_FALSE(Offers<IWMStreamConfig>(profile.Get()));
    EXPECT_TRUE(Offers<IWMStreamConfig>(config.Get()));
    EXPECT_TRUE(Offers<IWMMediaProps>(config.Get()));
    EXPECT_FALSE(Offers<IWMInputMediaProps>(config.Get()));
    EXPECT_FALSE(Offers<IWMProfile>(config.Get()));
    EXPECT_TRUE(Offers<IWMWriter>(writer.Get()));
    EXPECT_TRUE(Offers<IWMHeaderInfo>(writer.Get()));
    EXPECT_FALSE(Offers<IWMWriterAdvanced>(writer.Get()));
    EXPECT_FALSE(Offers<IWMProfile>(writer.Get()));

    ComPtr<IWMMediaProps> props;
    ASSERT_EQ(config.As(props), S_OK);
    EXPECT_EQ(Identity(props.Get()), Identity(config.Get()));
    ComPtr<IWMHeaderInfo> header;
    ASSERT_EQ(writer.As(header), S_OK);
    EXPECT_EQ(Identity(header.Get()), Identity(writer.Get()));
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(writer->QueryInterface(__uuidof(IWMWriterAdvanced), &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(writer->QueryInterface(__uuidof(IWMWriter), nullptr), E_POINTER);
}

TEST_F(StandInTest, ReferencesCountAcrossInterfaces) {
    ComPtr<IWMWriter> writer;
    ASSERT_EQ(m_createWriter(nullptr, &writer), S_OK);
    EXPECT_EQ(RefCount(writer.Get()), 1u);
    IWMHeaderInfo* header = nullptr;
    ASSERT_EQ(writer->QueryInterface(__uuidof(IWMHeaderInfo), reinterpret_cast<void**>(&header)), S_OK);
    EXPECT_EQ(RefCount(writer.Get()), 2u);
    EXPECT_EQ(header->Release(), 1u);
    EXPECT_EQ(writer.Detach()->Release(), 0u) << "the last reference frees it";

    IWMProfileManager* manager = nullptr;
    ASSERT_EQ(m_createManager(&manager), S_OK);
    EXPECT_EQ(manager->AddRef(), 2u);
    EXPECT_EQ(manager->Release(), 1u);
    EXPECT_EQ(manager->Release(), 0u);

    ComPtr<IWMProfile> profile = Load(VideoOnlyProfile(kVga15));
    ASSERT_TRUE(profile);
    IWMStreamConfig* config = nullptr;
    ASSERT_EQ(profile->GetStream(0, &config), S_OK);
    EXPECT_EQ(RefCount(profile.Get()), 1u) << "a stream copy holds no reference on its profile";
    EXPECT_EQ(profile.Detach()->Release(), 0u);
    WORD number = 0;
    EXPECT_EQ(config->GetStreamNumber(&number), S_OK);
    EXPECT_EQ(number, 1) << "the copy outlives its profile";
    EXPECT_EQ(config->Release(), 0u);
}

// Wine's qasf.dll imports WMCreateReader from wmvcore for its WM ASF Reader
// filter. The stand-in exports it as a clean failure: the prefix's qasf keeps
// its other filters and the ASF reader fails to create instead of calling a
// missing import.
TEST_F(StandInTest, WineComponentsThatImportWmvcoreStillLoad) {
    ComPtr<IBaseFilter> dmoWrapper;
    EXPECT_EQ(::CoCreateInstance(CLSID_DMOWrapperFilter, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IBaseFilter),
                                 reinterpret_cast<void**>(&dmoWrapper)),
              S_OK);
    const CLSID kWmAsfReader = {0x187463a0, 0x5bb7, 0x11d3, {0xac, 0xbe, 0x00, 0x80, 0xc7, 0x5e, 0x24, 0x6e}};
    ComPtr<IBaseFilter> asfReader;
    EXPECT_EQ(::CoCreateInstance(kWmAsfReader, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IBaseFilter),
                                 reinterpret_cast<void**>(&asfReader)),
              E_NOTIMPL);
    EXPECT_FALSE(asfReader);
    using CreateSyncReaderFn = HRESULT(WINAPI*)(IUnknown*, DWORD, IWMSyncReader**);
    auto createSync = reinterpret_cast<CreateSyncReaderFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_dll.Get(), "WMCreateSyncReader")));
    ASSERT_NE(createSync, nullptr);
    ComPtr<IWMSyncReader> reader;
    EXPECT_EQ(createSync(nullptr, 0, &reader), S_OK) << "Wine's synchronous reader, through winegstreamer";
    EXPECT_TRUE(reader);
}

}  // namespace
