// The "Infinte Pin Tee Filter" stand-in in Wine's filter graph: its pins
// grow and shrink as outputs connect and disconnect, its outputs carry the
// input's type, and every sample reaches every connected output.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include "tests/wine/capfilter/TestSink.h"
#include "tests/wine/winetest/dshowfilters/ComFixture.h"
#include "tests/wine/winetest/dshowfilters/GraphTools.h"
#include "tests/wine/winetest/dshowfilters/PcmSource.h"

namespace {

using Names = std::vector<std::wstring>;

constexpr int kSamples = 5;
constexpr long kSampleBytes = 4410;  // 25 ms at 44100 Hz stereo

class InfTeeTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        m_graph = CreateGraph();
        ASSERT_TRUE(m_graph);
        m_tee = FindDevice(CLSID_LegacyAmFilterCategory, L"Infinte Pin Tee Filter");
        ASSERT_TRUE(m_tee);
        ASSERT_EQ(S_OK, m_graph->AddFilter(m_tee.Get(), L"Tee"));
        m_source.Attach(PcmSource::Create(PcmFormat(44100, 2), kSamples, kSampleBytes));
        ASSERT_EQ(S_OK, m_graph->AddFilter(m_source.Get(), L"Source"));
    }
    void TearDown() override {
        if (m_graph) {
            ComPtr<IMediaControl> control;
            if (SUCCEEDED(m_graph.As(control))) control->Stop();
        }
    }

    ComPtr<TestSink> AddSink(const wchar_t* name) {
        ComPtr<TestSink> sink;
        sink.Attach(TestSink::Create());
        EXPECT_EQ(S_OK, m_graph->AddFilter(sink.Get(), name));
        return sink;
    }
    HRESULT ConnectOutput(const wchar_t* output, TestSink* sink) {
        auto pin = FindPin(m_tee.Get(), output);
        if (!pin) return VFW_E_NOT_FOUND;
        return m_graph->ConnectDirect(pin.Get(), sink->InputPin(), nullptr);
    }
    HRESULT ConnectInput(IBaseFilter* source) {
        return m_graph->ConnectDirect(FindPin(source, L"Out").Get(), FindPin(m_tee.Get(), L"Input").Get(), nullptr);
    }
    Names Pins() { return AllPinNames(m_tee.Get()); }

    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IBaseFilter> m_tee;
    ComPtr<PcmSource> m_source;
};

TEST_F(InfTeeTest, OutputCannotConnectBeforeInput) {
    auto sink = AddSink(L"Sink");
    EXPECT_EQ(VFW_E_NOT_CONNECTED, ConnectOutput(L"Output1", sink.Get()));
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, FindPin(m_tee.Get(), L"Output1")->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* mt = nullptr;
    EXPECT_EQ(S_FALSE, types->Next(1, &mt, nullptr));
    EXPECT_EQ((Names{L"Input", L"Output1"}), Pins());
}

TEST_F(InfTeeTest, OneFreeOutputAlways) {
    ASSERT_EQ(S_OK, ConnectInput(m_source.Get()));
    EXPECT_EQ((Names{L"Input", L"Output1"}), Pins());

    ComPtr<IEnumPins> before;
    ASSERT_EQ(S_OK, m_tee->EnumPins(&before));
    auto a = AddSink(L"A"), b = AddSink(L"B"), c = AddSink(L"C");
    ASSERT_EQ(S_OK, ConnectOutput(L"Output1", a.Get()));
    EXPECT_EQ((Names{L"Input", L"Output1", L"Output2"}), Pins());
    // An enumerator from before the change notices it.
    IPin* pin = nullptr;
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, before->Next(1, &pin, nullptr));

    ASSERT_EQ(S_OK, ConnectOutput(L"Output2", b.Get()));
    EXPECT_EQ((Names{L"Input", L"Output1", L"Output2", L"Output3"}), Pins());
    ASSERT_EQ(S_OK, ConnectOutput(L"Output3", c.Get()));
    EXPECT_EQ((Names{L"Input", L"Output1", L"Output2", L"Output3", L"Output4"}), Pins());

    // Disconnecting an output while another is free retires it; the free
    // one stays, and numbers are not used again.
    auto output2 = FindPin(m_tee.Get(), L"Output2");
    ASSERT_EQ(S_OK, m_graph->Disconnect(output2.Get()));
    ASSERT_EQ(S_OK, m_graph->Disconnect(b->InputPin()));
    EXPECT_EQ((Names{L"Input", L"Output1", L"Output3", L"Output4"}), Pins());
    ASSERT_EQ(S_OK, ConnectOutput(L"Output4", b.Get()));
    EXPECT_EQ((Names{L"Input", L"Output1", L"Output3", L"Output4", L"Output5"}), Pins());
    // The retired pin refuses to connect again.
    auto d = AddSink(L"D");
    EXPECT_EQ(VFW_E_NOT_FOUND, m_graph->ConnectDirect(output2.Get(), d->InputPin(), nullptr));
}

TEST_F(InfTeeTest, OutputsOfferTheInputType) {
    ASSERT_EQ(S_OK, ConnectInput(m_source.Get()));
    auto a = AddSink(L"A");
    ASSERT_EQ(S_OK, ConnectOutput(L"Output1", a.Get()));
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(S_OK, FindPin(m_tee.Get(), L"Output1")->ConnectionMediaType(&mt));
    EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, mt.majortype));
    ASSERT_EQ(sizeof(WAVEFORMATEX), mt.cbFormat);
    auto* wfx = reinterpret_cast<WAVEFORMATEX*>(mt.pbFormat);
    EXPECT_EQ(44100u, wfx->nSamplesPerSec);
    EXPECT_EQ(2, wfx->nChannels);
    FreeMediaType(mt);

    // With an output connected the input takes back only the same type.
    auto input = FindPin(m_tee.Get(), L"Input");
    ASSERT_EQ(S_OK, m_graph->Disconnect(input.Get()));
    ASSERT_EQ(S_OK, m_graph->Disconnect(FindPin(m_source.Get(), L"Out").Get()));
    ComPtr<PcmSource> mono;
    mono.Attach(PcmSource::Create(PcmFormat(48000, 1), 1, 960));
    ASSERT_EQ(S_OK, m_graph->AddFilter(mono.Get(), L"Mono"));
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, ConnectInput(mono.Get()));
    EXPECT_EQ(S_OK, ConnectInput(m_source.Get()));
}

TEST_F(InfTeeTest, EverySampleReachesEveryConnectedOutput) {
    ASSERT_EQ(S_OK, ConnectInput(m_source.Get()));
    auto a = AddSink(L"A"), b = AddSink(L"B");
    ASSERT_EQ(S_OK, ConnectOutput(L"Output1", a.Get()));
    ASSERT_EQ(S_OK, ConnectOutput(L"Output2", b.Get()));
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, m_graph.As(control));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    for (int i = 0; i < 100 && (a->EndOfStreams() == 0 || b->EndOfStreams() == 0); ++i) ::Sleep(50);
    ASSERT_EQ(1, a->EndOfStreams());
    ASSERT_EQ(1, b->EndOfStreams());
    control->Stop();

    const REFERENCE_TIME duration = m_source->Duration();
    for (TestSink* sink : {a.Get(), b.Get()}) {
        auto samples = sink->Samples();
        ASSERT_EQ(static_cast<size_t>(kSamples), samples.size());
        for (int i = 0; i < kSamples; ++i) {
            const auto& s = samples[static_cast<size_t>(i)];
            ASSERT_EQ(static_cast<size_t>(kSampleBytes), s.bytes.size()) << i;
            long wrong = 0;
            for (long k = 0; k < kSampleBytes; ++k)
                if (s.bytes[static_cast<size_t>(k)] != PcmSource::PatternByte(i, k)) ++wrong;
            EXPECT_EQ(0, wrong) << "sample " << i;
            EXPECT_TRUE(s.timed);
            EXPECT_EQ(i * duration, s.start);
            EXPECT_EQ((i + 1) * duration, s.stop);
            EXPECT_EQ(i == 0, s.discontinuity);
        }
    }
}

}  // namespace
