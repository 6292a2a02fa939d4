// The stand-in audio capture devices as tests register them: order and
// names per entry through Wine's device enumerator, the mixer lines and
// their settings, the capture pin's formats and buffers, and its life as a
// live source.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include <algorithm>

#include "tests/wine/capfilter/TestSink.h"
#include "tests/wine/winetest/dshowfilters/ComFixture.h"
#include "tests/wine/winetest/dshowfilters/GraphTools.h"

namespace {

using Names = std::vector<std::wstring>;
using winetest::AddTestAudioDevice;

std::wstring VendorInfo(IBaseFilter* filter) {
    LPWSTR info = nullptr;
    if (FAILED(filter->QueryVendorInfo(&info)) || !info) return L"<none>";
    std::wstring s(info);
    ::CoTaskMemFree(info);
    return s;
}

// Wine's device enumerator lists the registered entries before the
// devices it finds itself (which it re-enters under HKCU at every
// enumeration): the test devices are the head of the list, Wine's own the
// tail.
std::vector<DeviceEntry> TestDevices(const Names& wine) {
    auto all = ListDevices(CLSID_AudioInputDeviceCategory);
    if (all.size() < wine.size()) return {};
    Names tail;
    for (size_t i = all.size() - wine.size(); i < all.size(); ++i) tail.push_back(all[i].friendlyName);
    if (tail != wine) return {};
    return std::vector<DeviceEntry>(all.begin(), all.end() - static_cast<std::ptrdiff_t>(wine.size()));
}

class CaptureDeviceTest : public TestDevicesTest {
protected:
    void SetUp() override {
        TestDevicesTest::SetUp();
        m_wine = DeviceNames(CLSID_AudioInputDeviceCategory);
    }
    Names m_wine;  // Wine's own devices
};

TEST_F(CaptureDeviceTest, SameNameTwiceEnumeratesInOrderOfAdding) {
    ASSERT_EQ(S_OK, AddTestAudioDevice(L"USB Audio", {L"Microphone", L"Line In"}));
    ASSERT_EQ(S_OK, AddTestAudioDevice(L"USB Audio", {L"Stereo Mix"}));
    auto all = DeviceNames(CLSID_AudioInputDeviceCategory);
    ASSERT_EQ(m_wine.size() + 2, all.size());
    // Ours first, then Wine's own.
    Names expected = {L"USB Audio", L"USB Audio"};
    expected.insert(expected.end(), m_wine.begin(), m_wine.end());
    EXPECT_EQ(expected, all);

    auto ours = TestDevices(m_wine);
    ASSERT_EQ(2u, ours.size());
    auto first = BindDevice(ours[0]), second = BindDevice(ours[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((Names{L"Microphone", L"Line In"}), PinNames(first.Get(), PINDIR_INPUT));
    EXPECT_EQ((Names{L"Stereo Mix"}), PinNames(second.Get(), PINDIR_INPUT));
    EXPECT_EQ((Names{L"Capture"}), PinNames(first.Get(), PINDIR_OUTPUT));
    EXPECT_EQ((Names{L"Capture"}), PinNames(second.Get(), PINDIR_OUTPUT));
    EXPECT_EQ(L"USB Audio", VendorInfo(first.Get()));
    // The lookup that keeps the last match gets the second entry.
    EXPECT_EQ((Names{L"Stereo Mix"}),
              PinNames(FindDevice(CLSID_AudioInputDeviceCategory, L"USB Audio").Get(), PINDIR_INPUT));
}

TEST_F(CaptureDeviceTest, OrderIsAddingOrderNotNameOrder) {
    const Names names = {L"Zulu", L"Mike",   L"Alpha",   L"Delta",   L"Bravo", L"Kilo",
                         L"Echo", L"Yankee", L"Charlie", L"Foxtrot", L"Lima",  L"Golf"};
    for (const auto& n : names) ASSERT_EQ(S_OK, AddTestAudioDevice(n, {}));
    Names ours;
    for (const auto& d : TestDevices(m_wine)) ours.push_back(d.friendlyName);
    EXPECT_EQ(names, ours);
}

TEST_F(CaptureDeviceTest, EntryWithoutLinesGetsTheDefaultList) {
    ASSERT_EQ(S_OK, AddTestAudioDevice(L"Plain Card", {}));
    auto device = FindDevice(CLSID_AudioInputDeviceCategory, L"Plain Card");
    ASSERT_TRUE(device);
    EXPECT_EQ((Names{L"Capture", L"Microphone", L"Line In", L"Stereo Mix"}), AllPinNames(device.Get()));
}

TEST_F(CaptureDeviceTest, LongAndOddFriendlyNames) {
    std::wstring longName;
    for (int i = 0; longName.size() < 2000; ++i) longName += L"Card\\" + std::to_wstring(i) + L" \u00e9\u4e2d/*?\"";
    longName.resize(2000);
    const std::wstring odd = L"HKCR\\CLSID\\..\\Mic [1] \u00fcber \U0001F3A4";
    ASSERT_EQ(S_OK, AddTestAudioDevice(longName, {L"Line 1"}));
    ASSERT_EQ(S_OK, AddTestAudioDevice(odd, {L"Line 2"}));
    auto a = FindDevice(CLSID_AudioInputDeviceCategory, longName);
    auto b = FindDevice(CLSID_AudioInputDeviceCategory, odd);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(longName, VendorInfo(a.Get()));
    EXPECT_EQ(odd, VendorInfo(b.Get()));
    EXPECT_EQ((Names{L"Line 1"}), PinNames(a.Get(), PINDIR_INPUT));
    EXPECT_EQ((Names{L"Line 2"}), PinNames(b.Get(), PINDIR_INPUT));
}

TEST_F(CaptureDeviceTest, BadEntriesAreRefused) {
    EXPECT_EQ(E_INVALIDARG, AddTestAudioDevice(L"", {}));
    EXPECT_EQ(E_INVALIDARG, AddTestAudioDevice(std::wstring(L"a\0b", 3), {}));
    EXPECT_EQ(E_INVALIDARG, AddTestAudioDevice(L"Card", {L""}));
    EXPECT_EQ(E_INVALIDARG, AddTestAudioDevice(L"Card", {std::wstring(128, L'x')}));
    EXPECT_EQ(S_OK, AddTestAudioDevice(L"Card", {std::wstring(127, L'x')}));
    EXPECT_EQ(E_INVALIDARG, AddTestAudioDevice(L"Card", Names(33, L"Line")));
    EXPECT_EQ(m_wine.size() + 1, DeviceNames(CLSID_AudioInputDeviceCategory).size());
}

TEST_F(CaptureDeviceTest, RemoveLeavesWineDevicesOnly) {
    ASSERT_EQ(S_OK, AddTestAudioDevice(L"One", {}));
    ASSERT_EQ(S_OK, AddTestAudioDevice(L"Two", {}));
    ASSERT_EQ(S_OK, winetest::RemoveTestAudioDevices());
    EXPECT_EQ(m_wine, DeviceNames(CLSID_AudioInputDeviceCategory));
    ASSERT_EQ(S_OK, winetest::RemoveTestAudioDevices());
}

// ---- mixer lines --------------------------------------------------------------

class MixerLineTest : public CaptureDeviceTest {
protected:
    void SetUp() override {
        CaptureDeviceTest::SetUp();
        ASSERT_EQ(S_OK, AddTestAudioDevice(L"Mixer Card", {L"Microphone", L"Stereo Mix"}));
        m_device = FindDevice(CLSID_AudioInputDeviceCategory, L"Mixer Card");
        ASSERT_TRUE(m_device);
        ASSERT_EQ(S_OK, FindPin(m_device.Get(), L"Microphone")
                            ->QueryInterface(IID_IAMAudioInputMixer, reinterpret_cast<void**>(&m_mic)));
        ASSERT_EQ(S_OK, FindPin(m_device.Get(), L"Stereo Mix")
                            ->QueryInterface(IID_IAMAudioInputMixer, reinterpret_cast<void**>(&m_mix)));
    }
    ComPtr<IBaseFilter> m_device;
    ComPtr<IAMAudioInputMixer> m_mic, m_mix;
};

TEST_F(MixerLineTest, LinesAreUnconnectableAnalogueInputs) {
    auto pin = FindPin(m_device.Get(), L"Microphone");
    PIN_DIRECTION dir;
    ASSERT_EQ(S_OK, pin->QueryDirection(&dir));
    EXPECT_EQ(PINDIR_INPUT, dir);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, pin->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &mt, nullptr));
    EXPECT_TRUE(IsEqualGUID(MEDIATYPE_AnalogAudio, mt->majortype));
    DeleteMediaType(mt);
    IPin* connected = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectedTo(&connected));
}

TEST_F(MixerLineTest, DefaultsAndRanges) {
    BOOL b = TRUE;
    double v = -5;
    ASSERT_EQ(S_OK, m_mic->get_Enable(&b));
    EXPECT_FALSE(b);
    ASSERT_EQ(S_OK, m_mic->get_Mono(&b));
    EXPECT_FALSE(b);
    ASSERT_EQ(S_OK, m_mic->get_Loudness(&b));
    EXPECT_FALSE(b);
    ASSERT_EQ(S_OK, m_mic->get_MixLevel(&v));
    EXPECT_EQ(1.0, v);
    ASSERT_EQ(S_OK, m_mic->get_Pan(&v));
    EXPECT_EQ(0.0, v);
    ASSERT_EQ(S_OK, m_mic->get_TrebleRange(&v));
    EXPECT_EQ(12.0, v);
    ASSERT_EQ(S_OK, m_mic->get_BassRange(&v));
    EXPECT_EQ(12.0, v);
    EXPECT_EQ(E_POINTER, m_mic->get_Enable(nullptr));
}

TEST_F(MixerLineTest, ValuesAreKeptPerLine) {
    ASSERT_EQ(S_OK, m_mix->put_Enable(TRUE));
    ASSERT_EQ(S_OK, m_mix->put_Mono(TRUE));
    ASSERT_EQ(S_OK, m_mix->put_Loudness(TRUE));
    ASSERT_EQ(S_OK, m_mix->put_MixLevel(0.25));
    ASSERT_EQ(S_OK, m_mix->put_Pan(-0.5));
    ASSERT_EQ(S_OK, m_mix->put_Treble(6.0));
    ASSERT_EQ(S_OK, m_mix->put_Bass(-12.0));
    ASSERT_EQ(S_OK, m_mic->put_MixLevel(AMF_AUTOMATICGAIN));

    BOOL b = FALSE;
    double v = 0;
    m_mix->get_Enable(&b);
    EXPECT_TRUE(b);
    m_mix->get_Mono(&b);
    EXPECT_TRUE(b);
    m_mix->get_Loudness(&b);
    EXPECT_TRUE(b);
    m_mix->get_MixLevel(&v);
    EXPECT_EQ(0.25, v);
    m_mix->get_Pan(&v);
    EXPECT_EQ(-0.5, v);
    m_mix->get_Treble(&v);
    EXPECT_EQ(6.0, v);
    m_mix->get_Bass(&v);
    EXPECT_EQ(-12.0, v);
    // The other line is untouched but for its own change.
    m_mic->get_Enable(&b);
    EXPECT_FALSE(b);
    m_mic->get_MixLevel(&v);
    EXPECT_EQ(AMF_AUTOMATICGAIN, v);
    m_mic->get_Treble(&v);
    EXPECT_EQ(0.0, v);
}

TEST_F(MixerLineTest, OutOfRangeValuesAreRefusedAndLeaveTheOldOnes) {
    struct Case {
        const char* what;
        HRESULT (STDMETHODCALLTYPE IAMAudioInputMixer::*put)(double);
        HRESULT (STDMETHODCALLTYPE IAMAudioInputMixer::*get)(double*);
        double bad;
    };
    const Case cases[] = {
        {"mix level above 1", &IAMAudioInputMixer::put_MixLevel, &IAMAudioInputMixer::get_MixLevel, 1.01},
        {"mix level below 0", &IAMAudioInputMixer::put_MixLevel, &IAMAudioInputMixer::get_MixLevel, -0.5},
        {"pan right of 1", &IAMAudioInputMixer::put_Pan, &IAMAudioInputMixer::get_Pan, 1.5},
        {"pan left of -1", &IAMAudioInputMixer::put_Pan, &IAMAudioInputMixer::get_Pan, -1.01},
        {"treble above range", &IAMAudioInputMixer::put_Treble, &IAMAudioInputMixer::get_Treble, 12.5},
        {"bass below range", &IAMAudioInputMixer::put_Bass, &IAMAudioInputMixer::get_Bass, -13},
    };
    for (const auto& c : cases) {
        double before = 0, after = 0;
        ((*m_mic.Get()).*c.get)(&before);
        EXPECT_EQ(E_INVALIDARG, ((*m_mic.Get()).*c.put)(c.bad)) << c.what;
        ((*m_mic.Get()).*c.get)(&after);
        EXPECT_EQ(before, after) << c.what;
    }
}

// ---- the capture pin ------------------------------------------------------------

class CapturePinTest : public CaptureDeviceTest {
protected:
    void SetUp() override {
        CaptureDeviceTest::SetUp();
        ASSERT_EQ(S_OK, AddTestAudioDevice(L"Capture Card", {}));
        m_device = FindDevice(CLSID_AudioInputDeviceCategory, L"Capture Card");
        ASSERT_TRUE(m_device);
        m_pin = FindPin(m_device.Get(), L"Capture");
        ASSERT_TRUE(m_pin);
        ASSERT_EQ(S_OK, m_pin.As(m_config));
        ASSERT_EQ(S_OK, m_pin.As(m_buffers));
        m_graph = CreateGraph();
        ASSERT_TRUE(m_graph);
        ASSERT_EQ(S_OK, m_graph.As(m_control));
    }
    void TearDown() override {
        if (m_control) m_control->Stop();
        CaptureDeviceTest::TearDown();
    }
    ComPtr<TestSink> ConnectSink() {
        ComPtr<TestSink> sink;
        sink.Attach(TestSink::Create());
        EXPECT_EQ(S_OK, m_graph->AddFilter(m_device.Get(), L"Capture Card"));
        EXPECT_EQ(S_OK, m_graph->AddFilter(sink.Get(), L"Sink"));
        EXPECT_EQ(S_OK, m_graph->ConnectDirect(m_pin.Get(), sink->InputPin(), nullptr));
        return sink;
    }
    static WAVEFORMATEX FormatOf(const AM_MEDIA_TYPE* mt) {
        return *reinterpret_cast<const WAVEFORMATEX*>(mt->pbFormat);
    }

    ComPtr<IBaseFilter> m_device;
    ComPtr<IPin> m_pin;
    ComPtr<IAMStreamConfig> m_config;
    ComPtr<IAMBufferNegotiation> m_buffers;
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
};

TEST_F(CapturePinTest, CapabilitiesArePcm16At44100And48000MonoAndStereo) {
    int count = 0, size = 0;
    ASSERT_EQ(S_OK, m_config->GetNumberOfCapabilities(&count, &size));
    ASSERT_EQ(4, count);
    ASSERT_EQ(static_cast<int>(sizeof(AUDIO_STREAM_CONFIG_CAPS)), size);
    const struct {
        DWORD rate;
        WORD channels;
    } expected[] = {{44100, 2}, {44100, 1}, {48000, 2}, {48000, 1}};
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        AUDIO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(S_OK, m_config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)));
        WAVEFORMATEX wfx = FormatOf(mt);
        EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_PCM, mt->subtype));
        DeleteMediaType(mt);
        EXPECT_EQ(expected[i].rate, wfx.nSamplesPerSec) << i;
        EXPECT_EQ(expected[i].channels, wfx.nChannels) << i;
        EXPECT_EQ(16, wfx.wBitsPerSample);
        EXPECT_EQ(expected[i].rate * expected[i].channels * 2, wfx.nAvgBytesPerSec);
        EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, caps.guid));
        EXPECT_EQ(expected[i].rate, caps.MinimumSampleFrequency);
        EXPECT_EQ(expected[i].rate, caps.MaximumSampleFrequency);
        EXPECT_EQ(expected[i].channels, caps.MinimumChannels);
        EXPECT_EQ(expected[i].channels, caps.MaximumChannels);
        EXPECT_EQ(16u, caps.MinimumBitsPerSample);
        EXPECT_EQ(16u, caps.MaximumBitsPerSample);
    }
    AM_MEDIA_TYPE* mt = reinterpret_cast<AM_MEDIA_TYPE*>(1);
    BYTE caps[64];
    EXPECT_EQ(S_FALSE, m_config->GetStreamCaps(4, &mt, caps));
    EXPECT_EQ(nullptr, mt);
}

TEST_F(CapturePinTest, DefaultFormatIs44100StereoAndSetFormatChangesIt) {
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(S_OK, m_config->GetFormat(&mt));
    WAVEFORMATEX wfx = FormatOf(mt);
    DeleteMediaType(mt);
    EXPECT_EQ(44100u, wfx.nSamplesPerSec);
    EXPECT_EQ(2, wfx.nChannels);
    EXPECT_EQ(4, wfx.nBlockAlign);
    EXPECT_EQ(176400u, wfx.nAvgBytesPerSec);

    WAVEFORMATEX want = PcmFormat(48000, 1);
    CMediaType set;
    ASSERT_EQ(S_OK, CreateAudioMediaType(&want, &set, TRUE));
    ASSERT_EQ(S_OK, m_config->SetFormat(&set));
    ASSERT_EQ(S_OK, m_config->GetFormat(&mt));
    wfx = FormatOf(mt);
    DeleteMediaType(mt);
    EXPECT_EQ(48000u, wfx.nSamplesPerSec);
    EXPECT_EQ(1, wfx.nChannels);
    // The pin now offers that format, and connects with it.
    auto sink = ConnectSink();
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(S_OK, m_pin->ConnectionMediaType(&connected));
    EXPECT_EQ(48000u, FormatOf(&connected).nSamplesPerSec);
    EXPECT_EQ(1, FormatOf(&connected).nChannels);
    FreeMediaType(connected);

    WAVEFORMATEX odd = PcmFormat(22050, 2);
    CMediaType bad;
    ASSERT_EQ(S_OK, CreateAudioMediaType(&odd, &bad, TRUE));
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, m_config->SetFormat(&bad));
}

TEST_F(CapturePinTest, SuggestedAllocatorIsUsed) {
    ALLOCATOR_PROPERTIES props{};
    EXPECT_EQ(E_FAIL, m_buffers->GetAllocatorProperties(&props));
    const ALLOCATOR_PROPERTIES suggested = {6, 8820, 4, 0};
    ASSERT_EQ(S_OK, m_buffers->SuggestAllocatorProperties(&suggested));
    auto sink = ConnectSink();
    ASSERT_EQ(S_OK, m_buffers->GetAllocatorProperties(&props));
    EXPECT_EQ(6, props.cBuffers);
    EXPECT_EQ(8820, props.cbBuffer);
    EXPECT_EQ(4, props.cbAlign);
    EXPECT_EQ(0, props.cbPrefix);
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, m_buffers->SuggestAllocatorProperties(&suggested));
}

TEST_F(CapturePinTest, DefaultAllocatorIsFourBuffersOf100ms) {
    auto sink = ConnectSink();
    ALLOCATOR_PROPERTIES props{};
    ASSERT_EQ(S_OK, m_buffers->GetAllocatorProperties(&props));
    EXPECT_EQ(4, props.cBuffers);
    EXPECT_EQ(17640, props.cbBuffer);
}

TEST_F(CapturePinTest, LiveSourceDeliversOnlyWhileRunningWithByteCountTimes) {
    const ALLOCATOR_PROPERTIES suggested = {6, 8820, 4, 0};
    ASSERT_EQ(S_OK, m_buffers->SuggestAllocatorProperties(&suggested));
    auto sink = ConnectSink();
    ASSERT_TRUE(SUCCEEDED(m_control->Pause()));
    FILTER_STATE state;
    EXPECT_EQ(VFW_S_CANT_CUE, m_device->GetState(0, &state));
    EXPECT_EQ(State_Paused, state);
    ::Sleep(400);
    EXPECT_EQ(0u, sink->Samples().size());

    ASSERT_TRUE(SUCCEEDED(m_control->Run()));
    EXPECT_EQ(S_OK, m_device->GetState(0, &state));
    EXPECT_EQ(State_Running, state);
    for (int i = 0; i < 100 && sink->Samples().size() < 10; ++i) ::Sleep(50);
    ASSERT_EQ(S_OK, m_control->Stop());
    auto samples = sink->Samples();
    ASSERT_GE(samples.size(), 10u);
    // The first sample starts when its sound was captured, after Run (the
    // stream time is 0 then) and within the five seconds waited; each
    // later one where the one before ended: 8820 bytes are 50 ms at 176400
    // bytes a second.
    const REFERENCE_TIME base = samples[0].start;
    EXPECT_GE(base, 0);
    EXPECT_LT(base, 50000000);
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(8820u, samples[i].bytes.size()) << i;
        ASSERT_TRUE(samples[i].timed);
        EXPECT_EQ(base + static_cast<REFERENCE_TIME>(i) * 500000, samples[i].start) << i;
        EXPECT_EQ(base + static_cast<REFERENCE_TIME>(i + 1) * 500000, samples[i].stop) << i;
        EXPECT_EQ(i == 0, samples[i].discontinuity) << i;
    }
}

}  // namespace
