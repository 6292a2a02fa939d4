#pragma once
// A sonark5 filter made in-process over scripted endpoints, with a clock
// the test sets, for driving CSonarkStream step by step.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "capfilter/CaptureParams.h"
#include "capfilter/SonarkFilter.h"
#include "capfilter/SonarkStream.h"
#include "framework/win/Handles.h"
#include "tests/wine/capfilter/FakeAudio.h"

inline std::vector<uint8_t> Pcm16(std::initializer_list<int> samples) {
    std::vector<uint8_t> bytes;
    for (int s : samples) {
        auto u = static_cast<uint16_t>(static_cast<int16_t>(s));
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

// `frames` stereo frames of (left, right).
inline std::vector<uint8_t> StereoPacket(size_t frames, int left, int right) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < frames; ++i) {
        auto one = Pcm16({left, right});
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

inline std::vector<int> Samples16(const uint8_t* p, size_t bytes) {
    std::vector<int> out;
    for (size_t i = 0; i + 1 < bytes; i += 2)
        out.push_back(static_cast<int16_t>(static_cast<uint16_t>(p[i] | (p[i + 1] << 8))));
    return out;
}

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_com.Succeeded()); }
    void TearDown() override {
        filter = nullptr;
        audio.reset();
        sonark::ResetCaptureParams();
    }

    // Fakes with these mix formats and a filter over them.
    void Make(WORD speakerChannels = 2, DWORD speakerRate = 48000, WORD micChannels = 2, DWORD micRate = 48000) {
        audio = std::make_unique<FakeAudioSystem>(speakerChannels, speakerRate, micChannels, micRate);
        HRESULT hr = E_FAIL;
        CUnknown* obj = CSonarkFilter::CreateInstance(nullptr, &hr);
        ASSERT_EQ(hr, S_OK);
        ASSERT_NE(obj, nullptr);
        ASSERT_EQ(obj->NonDelegatingQueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
        sonark = static_cast<CSonarkFilter*>(filter.Get());
        ASSERT_EQ(sonark->GetPinCount(), 1);
        stream = static_cast<CSonarkStream*>(static_cast<CBaseOutputPin*>(sonark->GetPin(0)));
    }

    // Opens the endpoints and runs the filter on the test's clock at `now`.
    void OpenAndRun(REFERENCE_TIME now) {
        CMediaType mt;
        ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
        clock.Attach(new FakeClock);
        clock->now = now;
        ASSERT_EQ(filter->SetSyncSource(clock.Get()), S_OK);
        ASSERT_EQ(filter->Run(0), S_OK);
    }

    HRESULT Fill(FakeMediaSample& sample) { return stream->FillBuffer(&sample); }

    win::ScopedComApartment m_com{COINIT_MULTITHREADED};
    std::unique_ptr<FakeAudioSystem> audio;
    ComPtr<IBaseFilter> filter;
    CSonarkFilter* sonark = nullptr;
    CSonarkStream* stream = nullptr;
    ComPtr<FakeClock> clock;
};
