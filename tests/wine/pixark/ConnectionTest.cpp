// pixark.ax connected the ways the recorder connects it: straight to Wine's
// "Video Renderer" (and rendered through the graph, as the preview does),
// and straight to the tee stand-in's "Input".

#include <gtest/gtest.h>

#include <strmif.h>

#include <amvideo.h>
#include <uuids.h>

#include "framework/win/Handles.h"
#include "tests/wine/pixark/PixarkGraph.h"
#include "tests/wine/pixark/TestWindows.h"

namespace {

class PixarkConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&m_graph)),
                  S_OK);
        ASSERT_EQ(m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_control)), S_OK);
        m_filter = CreatePixark();
        ASSERT_TRUE(m_filter);
        ASSERT_EQ(Configure(m_filter.Get(), Rectangle(8, 8, 328, 248, 15, 32)), S_OK);
        ASSERT_EQ(m_graph->AddFilter(m_filter.Get(), L"Pixark BCK"), S_OK);
    }
    void TearDown() override {
        if (m_control) m_control->Stop();
    }
    ComPtr<IBaseFilter> AddFilter(REFCLSID clsid, const wchar_t* name) {
        ComPtr<IBaseFilter> f;
        if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                      reinterpret_cast<void**>(&f))))
            return f;
        if (FAILED(m_graph->AddFilter(f.Get(), name))) f.Reset();
        return f;
    }
    // Runs a second; the frames our pin delivered.
    LONG RunAndCount() {
        if (FAILED(m_control->Run())) return -1;
        PumpFor(1000);
        m_control->Stop();
        LONG delivered = -1, dropped = -1;
        if (!FrameCounts(m_filter.Get(), delivered, dropped)) return -1;
        return delivered;
    }
    void ExpectConnectedAs(IPin* pin, WORD bits) {
        AM_MEDIA_TYPE mt{};
        ASSERT_EQ(pin->ConnectionMediaType(&mt), S_OK);
        EXPECT_TRUE(mt.subtype == (bits == 32 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24));
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
        EXPECT_EQ(vih->bmiHeader.biWidth, 320);
        EXPECT_EQ(vih->bmiHeader.biHeight, 240);
        FreeMediaType(mt);
    }

    win::ScopedComApartment m_com;
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IBaseFilter> m_filter;
};

TEST_F(PixarkConnectionTest, ConnectsStraightToWinesVideoRenderer) {
    ComPtr<IBaseFilter> renderer = AddFilter(CLSID_VideoRenderer, L"Video Renderer");
    ASSERT_TRUE(renderer);
    ComPtr<IPin> in;
    ASSERT_EQ(renderer->FindPin(L"In", &in), S_OK);
    ComPtr<IPin> out = OutputPin(m_filter.Get());
    ASSERT_EQ(m_graph->ConnectDirect(out.Get(), in.Get(), nullptr), S_OK);
    ExpectConnectedAs(out.Get(), 32);
    EXPECT_GE(RunAndCount(), 12);
}

TEST_F(PixarkConnectionTest, IsRenderedByTheGraphWithTheRendererInIt) {
    ComPtr<IBaseFilter> renderer = AddFilter(CLSID_VideoRenderer, L"Video Renderer");
    ASSERT_TRUE(renderer);
    ComPtr<IPin> out = OutputPin(m_filter.Get());
    ASSERT_EQ(m_graph->Render(out.Get()), S_OK);
    ComPtr<IPin> peer;
    ASSERT_EQ(out->ConnectedTo(&peer), S_OK);
    PIN_INFO info{};
    ASSERT_EQ(peer->QueryPinInfo(&info), S_OK);
    ComPtr<IBaseFilter> owner;
    owner.Attach(info.pFilter);
    EXPECT_EQ(owner.Get(), renderer.Get());
    EXPECT_GE(RunAndCount(), 12);
}

TEST_F(PixarkConnectionTest, ConnectsStraightToTheTeesInput) {
    ComPtr<IBaseFilter> tee = AddFilter(CLSID_InfTee, L"Infinte Pin Tee Filter");
    ASSERT_TRUE(tee) << "the tee stand-in is not registered in this prefix";
    ComPtr<IPin> in;
    ASSERT_EQ(tee->FindPin(L"Input", &in), S_OK);
    ComPtr<IPin> out = OutputPin(m_filter.Get());
    ASSERT_EQ(m_graph->ConnectDirect(out.Get(), in.Get(), nullptr), S_OK);
    ExpectConnectedAs(out.Get(), 32);
    VideoSink* sink = VideoSink::Create();
    ComPtr<IBaseFilter> sinkFilter;
    sinkFilter.Attach(sink);
    ASSERT_EQ(m_graph->AddFilter(sinkFilter.Get(), L"Sink"), S_OK);
    ComPtr<IPin> teeOut;
    ASSERT_EQ(tee->FindPin(L"Output1", &teeOut), S_OK);
    ASSERT_EQ(m_graph->ConnectDirect(teeOut.Get(), sink->InputPin(), nullptr), S_OK);
    const LONG delivered = RunAndCount();
    EXPECT_GE(delivered, 12);
    EXPECT_GE(sink->Count(), 12u);
    EXPECT_EQ(sink->LastFrame().width, 320);
}

}  // namespace
