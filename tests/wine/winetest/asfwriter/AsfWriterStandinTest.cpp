// The WM ASF Writer stand-in as the recorder uses it: created by class id,
// configured with a profile, pins named by it, file name rules, state
// changes, and a real recording through Wine's filter graph from the test
// sources, checked afterwards from Linux (check_recording.py).

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/dshow/MediaType.h"
#include "graph/ConfigAsfWriter.h"
#include "tests/wine/support/TestSources.h"
#include "tests/wine/winetest/asfwriter/FakeProfile.h"
#include "winetest/asfwriter/AsfWriterGuids.h"

namespace {

struct ComApartment {
    ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { ::CoUninitialize(); }
};

class AsfWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, ::CoCreateInstance(kClsidWMAsfWriter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                           reinterpret_cast<void**>(&writer)));
        ASSERT_EQ(S_OK, writer.As(config));
        ASSERT_EQ(S_OK, writer.As(sink));
    }

    std::vector<std::wstring> PinNames() {
        std::vector<std::wstring> names;
        ComPtr<IEnumPins> pins;
        EXPECT_EQ(S_OK, writer->EnumPins(&pins));
        ComPtr<IPin> pin;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_INFO info{};
            EXPECT_EQ(S_OK, pin->QueryPinInfo(&info));
            EXPECT_EQ(PINDIR_INPUT, info.dir);
            if (info.pFilter) info.pFilter->Release();
            names.push_back(info.achName);
        }
        return names;
    }

    ComPtr<IPin> Pin(const wchar_t* name) {
        ComPtr<IPin> pin;
        EXPECT_EQ(S_OK, writer->FindPin(name, &pin)) << "pin " << std::string(name, name + wcslen(name));
        return pin;
    }

    ComApartment com;
    ComPtr<IBaseFilter> writer;
    ComPtr<IConfigAsfWriter> config;
    ComPtr<IFileSinkFilter> sink;
};

LONG Refs(IUnknown* unk) {
    unk->AddRef();
    return static_cast<LONG>(unk->Release());
}

struct InterfaceCase {
    const IID* iid;
    const char* name;
    HRESULT expected;
};

TEST_F(AsfWriterTest, AnswersTheInterfacesOfAWriterFilter) {
    const InterfaceCase cases[] = {
        {&IID_IUnknown, "IUnknown", S_OK},
        {&IID_IPersist, "IPersist", S_OK},
        {&IID_IMediaFilter, "IMediaFilter", S_OK},
        {&IID_IBaseFilter, "IBaseFilter", S_OK},
        {&IID_IFileSinkFilter, "IFileSinkFilter", S_OK},
        {&__uuidof(IConfigAsfWriter), "IConfigAsfWriter", S_OK},
        {&IID_IAMFilterMiscFlags, "IAMFilterMiscFlags", S_OK},
        {&IID_IPin, "IPin", E_NOINTERFACE},
        {&IID_IMemInputPin, "IMemInputPin", E_NOINTERFACE},
        {&IID_IFileSinkFilter2, "IFileSinkFilter2", E_NOINTERFACE},
        {&IID_IKsPropertySet, "IKsPropertySet", E_NOINTERFACE},
    };
    for (const InterfaceCase& c : cases) {
        ComPtr<IUnknown> unk;
        EXPECT_EQ(c.expected, writer->QueryInterface(*c.iid, reinterpret_cast<void**>(&unk))) << c.name;
        EXPECT_EQ(c.expected == S_OK, static_cast<bool>(unk)) << c.name;
    }
    // One object: every interface gives the same IUnknown.
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, writer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)));
    ASSERT_EQ(S_OK, config->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)));
    EXPECT_EQ(a.Get(), b.Get());
    CLSID clsid{};
    EXPECT_EQ(S_OK, writer->GetClassID(&clsid));
    EXPECT_TRUE(clsid == kClsidWMAsfWriter);
    ComPtr<IAMFilterMiscFlags> flags;
    ASSERT_EQ(S_OK, writer.As(flags));
    EXPECT_EQ(static_cast<ULONG>(AM_FILTER_MISC_FLAGS_IS_RENDERER), flags->GetMiscFlags());
}

TEST_F(AsfWriterTest, CountsReferencesForItselfAndItsPins) {
    // writer, config, sink.
    EXPECT_EQ(3, Refs(writer.Get()));
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 320, 240)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    EXPECT_EQ(1, FakeProfileRefs(profile.Get()));  // the writer keeps it
    {
        ComPtr<IPin> pin = Pin(L"Video Input 01");
        EXPECT_EQ(4, Refs(writer.Get()));
        EXPECT_EQ(4, Refs(pin.Get()));
    }
    EXPECT_EQ(3, Refs(writer.Get()));
    config = nullptr;
    sink = nullptr;
    writer = nullptr;
    EXPECT_EQ(0, FakeProfileRefs(profile.Get()));
}

TEST_F(AsfWriterTest, IsRegisteredAsAnInProcessFilter) {
    wchar_t model[32] = {};
    DWORD size = sizeof model;
    EXPECT_EQ(ERROR_SUCCESS,
              ::RegGetValueW(HKEY_CLASSES_ROOT, L"CLSID\\{7C23220E-55BB-11D3-8B16-00C04FB6BD3D}\\InprocServer32",
                             L"ThreadingModel", RRF_RT_REG_SZ, nullptr, model, &size));
    EXPECT_STREQ(L"Both", model);

    ComPtr<ICreateDevEnum> devices;
    ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                       reinterpret_cast<void**>(&devices)));
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(S_OK, devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, &monikers, 0));
    bool found = false;
    ComPtr<IMoniker> moniker;
    while (!found && monikers->Next(1, &moniker, nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
            continue;
        VARIANT name;
        ::VariantInit(&name);
        if (SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR &&
            std::wstring(name.bstrVal) == L"WM ASF Writer")
            found = true;
        ::VariantClear(&name);
    }
    EXPECT_TRUE(found);
}

TEST_F(AsfWriterTest, HasNoPinsUntilConfigured) {
    EXPECT_TRUE(PinNames().empty());
    ComPtr<IWMProfile> current;
    EXPECT_EQ(E_FAIL, config->GetCurrentProfile(&current));
    EXPECT_FALSE(current);
    EXPECT_EQ(E_POINTER, config->ConfigureFilterUsingProfile(nullptr));
}

struct ProfileCase {
    const char* name;
    std::vector<FakeStreamSpec> streams;
    std::vector<std::wstring> pins;
};

TEST_F(AsfWriterTest, NamesOnePinPerProfileStreamAsTheWriterDoes) {
    const ProfileCase cases[] = {
        {"audio and video", {AudioSpec(1), VideoSpec(2, 640, 480)}, {L"Audio Input 01", L"Video Input 01"}},
        {"video only", {VideoSpec(1, 320, 240)}, {L"Video Input 01"}},
        {"audio only", {AudioSpec(1)}, {L"Audio Input 01"}},
        {"two audio",
         {AudioSpec(1), VideoSpec(2, 320, 240), AudioSpec(3)},
         {L"Audio Input 01", L"Video Input 01", L"Audio Input 02"}},
    };
    for (const ProfileCase& c : cases) {
        ComPtr<IWMProfile> profile = CreateFakeProfile(c.streams);
        ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get())) << c.name;
        EXPECT_EQ(c.pins, PinNames()) << c.name;
        ComPtr<IWMProfile> current;
        EXPECT_EQ(S_OK, config->GetCurrentProfile(&current));
        EXPECT_EQ(profile.Get(), current.Get()) << c.name;
    }
}

TEST_F(AsfWriterTest, RefusesProfilesItCannotRecord) {
    ComPtr<IWMProfile> good = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 320, 240)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(good.Get()));
    const ProfileCase bad[] = {
        {"script stream", {AudioSpec(1), {MEDIATYPE_Text, 2, 0, 0}}, {}},
        {"zero picture", {VideoSpec(1, 0, 240)}, {}},
        {"same number twice", {AudioSpec(1), VideoSpec(1, 320, 240)}, {}},
    };
    for (const ProfileCase& c : bad) {
        ComPtr<IWMProfile> profile = CreateFakeProfile(c.streams);
        EXPECT_EQ(E_INVALIDARG, config->ConfigureFilterUsingProfile(profile.Get())) << c.name;
        // The pins of the last good profile stay.
        EXPECT_EQ((std::vector<std::wstring>{L"Audio Input 01", L"Video Input 01"}), PinNames()) << c.name;
    }
}

TEST_F(AsfWriterTest, LeavesTheOtherProfileCallsUnimplementedButTheIndexMode) {
    DWORD id = 0;
    GUID guid{};
    EXPECT_EQ(E_NOTIMPL, config->ConfigureFilterUsingProfileId(26));
    EXPECT_EQ(E_NOTIMPL, config->GetCurrentProfileId(&id));
    EXPECT_EQ(E_NOTIMPL, config->ConfigureFilterUsingProfileGuid(GUID_NULL));
    EXPECT_EQ(E_NOTIMPL, config->GetCurrentProfileGuid(&guid));
    BOOL index = FALSE;
    EXPECT_EQ(S_OK, config->GetIndexMode(&index));
    EXPECT_EQ(TRUE, index);
    EXPECT_EQ(S_OK, config->SetIndexMode(FALSE));
    EXPECT_EQ(S_OK, config->GetIndexMode(&index));
    EXPECT_EQ(FALSE, index);
    EXPECT_EQ(E_POINTER, config->GetIndexMode(nullptr));
}

TEST_F(AsfWriterTest, KeepsAFileNameThatFitsAndRefusesALongerOne) {
    LPOLESTR name = nullptr;
    EXPECT_EQ(E_FAIL, sink->GetCurFile(&name, nullptr));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(E_POINTER, sink->SetFileName(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, sink->GetCurFile(nullptr, nullptr));

    std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 1 - 7, L'a') + L".wmv";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), fits.size());
    EXPECT_EQ(S_OK, sink->SetFileName(fits.c_str(), nullptr));
    std::wstring tooLong = L"C:\\" + std::wstring(MAX_PATH - 7, L'b') + L".wmv";
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), sink->SetFileName(tooLong.c_str(), nullptr));

    AM_MEDIA_TYPE mt;
    ASSERT_EQ(S_OK, sink->GetCurFile(&name, &mt));
    EXPECT_EQ(fits, std::wstring(name));
    EXPECT_TRUE(mt.majortype == MEDIATYPE_Stream);
    EXPECT_TRUE(mt.subtype == MEDIASUBTYPE_Asf);
    EXPECT_EQ(nullptr, mt.pbFormat);
    ::CoTaskMemFree(name);
}

TEST_F(AsfWriterTest, ChangesStateWhileUnconnected) {
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 320, 240)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    FILTER_STATE state;
    const struct {
        const char* step;
        HRESULT (*call)(IBaseFilter*);
        FILTER_STATE expected;
    } steps[] = {
        {"pause", [](IBaseFilter* f) { return f->Pause(); }, State_Paused},
        {"run", [](IBaseFilter* f) { return f->Run(0); }, State_Running},
        {"pause again", [](IBaseFilter* f) { return f->Pause(); }, State_Paused},
        {"stop", [](IBaseFilter* f) { return f->Stop(); }, State_Stopped},
        {"run from stopped", [](IBaseFilter* f) { return f->Run(0); }, State_Running},
        {"stop again", [](IBaseFilter* f) { return f->Stop(); }, State_Stopped},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(S_OK, s.call(writer.Get())) << s.step;
        EXPECT_EQ(S_OK, writer->GetState(0, &state)) << s.step;
        EXPECT_EQ(s.expected, state) << s.step;
    }
    // Not while it runs or pauses.
    ASSERT_EQ(S_OK, writer->Pause());
    EXPECT_EQ(VFW_E_WRONG_STATE, config->ConfigureFilterUsingProfile(profile.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, sink->SetFileName(L"C:\\x.wmv", nullptr));
    ASSERT_EQ(S_OK, writer->Stop());
}

CMediaType VideoType(const GUID& subtype, WORD bits, LONG width, LONG height) {
    CMediaType mt;
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = bits;
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtype;
    mt.formattype = FORMAT_VideoInfo;
    return mt;
}

CMediaType AudioType(WORD tag, WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX wf{};
    wf.wFormatTag = tag;
    wf.nChannels = channels;
    wf.nSamplesPerSec = rate;
    wf.wBitsPerSample = bits;
    wf.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    wf.nAvgBytesPerSec = rate * wf.nBlockAlign;
    CMediaType mt;
    CreateAudioMediaType(&wf, &mt, TRUE);
    mt.subtype = MEDIASUBTYPE_PCM;  // whatever the tag, so the tag is what is judged
    return mt;
}

TEST_F(AsfWriterTest, AcceptsUncompressedInputOfTheProfilesSize) {
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 320, 240)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    ComPtr<IPin> video = Pin(L"Video Input 01");
    ComPtr<IPin> audio = Pin(L"Audio Input 01");
    const struct {
        const char* name;
        IPin* pin;
        CMediaType mt;
        HRESULT expected;
    } cases[] = {
        {"RGB24 bottom-up", video.Get(), VideoType(MEDIASUBTYPE_RGB24, 24, 320, 240), S_OK},
        {"RGB32 top-down", video.Get(), VideoType(MEDIASUBTYPE_RGB32, 32, 320, -240), S_OK},
        {"wrong width", video.Get(), VideoType(MEDIASUBTYPE_RGB24, 24, 328, 240), S_FALSE},
        {"wrong height", video.Get(), VideoType(MEDIASUBTYPE_RGB24, 24, 320, 232), S_FALSE},
        {"RGB565", video.Get(), VideoType(MEDIASUBTYPE_RGB565, 16, 320, 240), S_FALSE},
        {"subtype and bits disagree", video.Get(), VideoType(MEDIASUBTYPE_RGB24, 32, 320, 240), S_FALSE},
        {"audio on the video pin", video.Get(), AudioType(WAVE_FORMAT_PCM, 2, 44100, 16), S_FALSE},
        {"PCM 44.1 kHz stereo", audio.Get(), AudioType(WAVE_FORMAT_PCM, 2, 44100, 16), S_OK},
        {"PCM 8 kHz mono 8-bit", audio.Get(), AudioType(WAVE_FORMAT_PCM, 1, 8000, 8), S_OK},
        {"PCM 96 kHz 6 channels", audio.Get(), AudioType(WAVE_FORMAT_PCM, 6, 96000, 16), S_OK},
        {"24-bit PCM", audio.Get(), AudioType(WAVE_FORMAT_PCM, 2, 44100, 24), S_FALSE},
        {"float", audio.Get(), AudioType(WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 32), S_FALSE},
        {"video on the audio pin", audio.Get(), VideoType(MEDIASUBTYPE_RGB24, 24, 320, 240), S_FALSE},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, c.pin->QueryAccept(&c.mt)) << c.name;

    // The preferred picture: RGB24 of the profile's size, bottom-up.
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, video->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &mt, nullptr));
    EXPECT_TRUE(mt->subtype == MEDIASUBTYPE_RGB24);
    const BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
    EXPECT_EQ(320, bih.biWidth);
    EXPECT_EQ(240, bih.biHeight);
    DeleteMediaType(mt);
    EXPECT_EQ(S_FALSE, types->Next(1, &mt, nullptr));
}

// ---- recordings through Wine's filter graph --------------------------------

struct Graph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;

    HRESULT Create() {
        HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                        reinterpret_cast<void**>(&graph));
        if (FAILED(hr)) return hr;
        if (FAILED(hr = graph.As(control))) return hr;
        return graph.As(seeking);
    }

    // Wine's graph hands its filters a start time 200 ms after Run, while
    // its position counts from Run itself: the first 200 ms of position
    // are before the stream starts (after a pause, position and stream
    // time go on together).
    static constexpr double kStartDelay = 0.2;

    // Runs until the graph's position reaches `seconds`.
    void RunUntil(double seconds) {
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        REFERENCE_TIME target = static_cast<REFERENCE_TIME>(seconds * 10000000);
        DWORD begin = ::GetTickCount();
        for (;;) {
            REFERENCE_TIME position = 0;
            ASSERT_EQ(S_OK, seeking->GetCurrentPosition(&position));
            if (position >= target) return;
            ASSERT_LT(::GetTickCount() - begin, 10000u) << "the stream position stays at " << position;
            ::Sleep(5);
        }
    }
};

ComPtr<IPin> FirstPin(IBaseFilter* filter) {
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> pin;
    if (SUCCEEDED(filter->EnumPins(&pins))) pins->Next(1, &pin, nullptr);
    return pin;
}

// A state change of the graph, then `ms` in that state.
void StayFor(IMediaControl* control, HRESULT changed, DWORD ms, const char* what) {
    EXPECT_TRUE(SUCCEEDED(changed)) << what << " 0x" << std::hex << changed;
    OAFilterState state;
    control->GetState(1000, &state);
    ::Sleep(ms);
}

TEST_F(AsfWriterTest, RecordsToneAndCounterThroughWinesGraph) {
    ::DeleteFileW(ASF_TEST_RECORDING);
    Graph g;
    ASSERT_EQ(S_OK, g.Create());
    ComPtr<IBaseFilter> tone = CreateToneSource(440);
    ComPtr<IBaseFilter> counter = CreateCounterSource(320, 240, 15, 24);
    ASSERT_TRUE(tone && counter);
    ASSERT_EQ(S_OK, sink->SetFileName(ASF_TEST_RECORDING, nullptr));
    ASSERT_EQ(S_OK, g.graph->AddFilter(writer.Get(), L"Mux"));
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 320, 240)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    ASSERT_EQ(S_OK, g.graph->AddFilter(counter.Get(), L"Counter"));
    ASSERT_EQ(S_OK, g.graph->AddFilter(tone.Get(), L"Tone"));
    ASSERT_EQ(S_OK, g.graph->ConnectDirect(FirstPin(counter.Get()).Get(), Pin(L"Video Input 01").Get(), nullptr));
    ASSERT_EQ(S_OK, g.graph->ConnectDirect(FirstPin(tone.Get()).Get(), Pin(L"Audio Input 01").Get(), nullptr));
    // Connected: the profile may not change any more.
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, config->ConfigureFilterUsingProfile(profile.Get()));

    // 2 s running, 1 s paused, 1 s running: 3 s of stream time. The
    // sources deliver a sample once its end time has passed; 50 ms more
    // lets the samples that end at 3 s in, and no later ones.
    g.RunUntil(Graph::kStartDelay + 2.0);
    StayFor(g.control.Get(), g.control->Pause(), 1000, "pause");
    g.RunUntil(Graph::kStartDelay + 3.05);
    ASSERT_EQ(S_OK, g.control->Stop());
    // Complete the moment Stop returns: readable, with its totals.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ASSERT_TRUE(::GetFileAttributesExW(ASF_TEST_RECORDING, GetFileExInfoStandard, &attributes));
    EXPECT_GT(attributes.nFileSizeLow, 1000000u);
}

TEST_F(AsfWriterTest, RecordsRgb32WithIntelligentAudioConnection) {
    ::DeleteFileW(ASF_TEST_RECORDING_RGB32);
    Graph g;
    ASSERT_EQ(S_OK, g.Create());
    ComPtr<IBaseFilter> tone = CreateToneSource(440);
    ComPtr<IBaseFilter> counter = CreateCounterSource(256, 64, 10, 32);
    ASSERT_TRUE(tone && counter);
    ASSERT_EQ(S_OK, sink->SetFileName(ASF_TEST_RECORDING_RGB32, nullptr));
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1), VideoSpec(2, 256, 64)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    ASSERT_EQ(S_OK, g.graph->AddFilter(writer.Get(), L"Mux"));
    ASSERT_EQ(S_OK, g.graph->AddFilter(counter.Get(), L"Counter"));
    ASSERT_EQ(S_OK, g.graph->AddFilter(tone.Get(), L"Tone"));
    ASSERT_EQ(S_OK, g.graph->ConnectDirect(FirstPin(counter.Get()).Get(), Pin(L"Video Input 01").Get(), nullptr));
    ASSERT_EQ(S_OK, g.graph->Connect(FirstPin(tone.Get()).Get(), Pin(L"Audio Input 01").Get()));
    g.RunUntil(Graph::kStartDelay + 1.55);
    ASSERT_EQ(S_OK, g.control->Stop());
}

TEST_F(AsfWriterTest, PauseFailsWhenTheFileCannotBeCreated) {
    Graph g;
    ASSERT_EQ(S_OK, g.Create());
    ComPtr<IBaseFilter> tone = CreateToneSource(440);
    ASSERT_TRUE(tone);
    ASSERT_EQ(S_OK, sink->SetFileName(L"C:\\no such folder\\x.wmv", nullptr));
    ComPtr<IWMProfile> profile = CreateFakeProfile({AudioSpec(1)});
    ASSERT_EQ(S_OK, config->ConfigureFilterUsingProfile(profile.Get()));
    ASSERT_EQ(S_OK, g.graph->AddFilter(writer.Get(), L"Mux"));
    ASSERT_EQ(S_OK, g.graph->AddFilter(tone.Get(), L"Tone"));
    ASSERT_EQ(S_OK, g.graph->ConnectDirect(FirstPin(tone.Get()).Get(), Pin(L"Audio Input 01").Get(), nullptr));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), writer->Pause());
    FILTER_STATE state;
    EXPECT_EQ(S_OK, writer->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    g.control->Stop();
}

}  // namespace
