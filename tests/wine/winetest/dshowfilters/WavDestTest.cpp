// "WAV Dest" writes what it receives as a RIFF WAVE file, complete when
// Stop returns, and drops it all without a file name.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include "tests/wine/winetest/dshowfilters/ComFixture.h"
#include "tests/wine/winetest/dshowfilters/GraphTools.h"
#include "tests/wine/winetest/dshowfilters/PcmSource.h"
#include "tests/wine/winetest/dshowfilters/WavFile.h"

namespace {

constexpr int kSamples = 4;
constexpr long kSampleBytes = 9600;  // 50 ms at 48000 Hz stereo

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + L"wavdest_test_" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class WavDestTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        m_dir = TempFolder();
        m_path = m_dir + L"\\out.wav";
        ::DeleteFileW(m_path.c_str());
        m_graph = CreateGraph();
        ASSERT_TRUE(m_graph);
        m_dest = FindDevice(CLSID_LegacyAmFilterCategory, L"WAV Dest");
        ASSERT_TRUE(m_dest);
        ASSERT_EQ(S_OK, m_dest.As(m_sink));
        ASSERT_EQ(S_OK, m_graph->AddFilter(m_dest.Get(), L"WAV Dest"));
        m_source.Attach(PcmSource::Create(PcmFormat(48000, 2), kSamples, kSampleBytes));
        ASSERT_EQ(S_OK, m_graph->AddFilter(m_source.Get(), L"Source"));
        ASSERT_EQ(S_OK, m_graph.As(m_control));
    }
    void TearDown() override {
        if (m_control) m_control->Stop();
        ::DeleteFileW(m_path.c_str());
        ::RemoveDirectoryW(m_dir.c_str());
    }
    // Connects, runs until the file writer reports the end, and stops.
    void RunToCompletion() {
        ASSERT_EQ(S_OK, m_graph->ConnectDirect(FindPin(m_source.Get(), L"Out").Get(),
                                               FindPin(m_dest.Get(), L"In").Get(), nullptr));
        ComPtr<IMediaEvent> events;
        ASSERT_EQ(S_OK, m_graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)));
        ASSERT_TRUE(SUCCEEDED(m_control->Run()));
        long code = 0;
        EXPECT_EQ(S_OK, events->WaitForCompletion(10000, &code));
        EXPECT_EQ(EC_COMPLETE, code);
        ASSERT_EQ(S_OK, m_control->Stop());
    }

    std::wstring m_dir, m_path;
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IBaseFilter> m_dest;
    ComPtr<IFileSinkFilter> m_sink;
    ComPtr<PcmSource> m_source;
    ComPtr<IMediaControl> m_control;
};

TEST_F(WavDestTest, AcceptsPcmOnly) {
    auto in = FindPin(m_dest.Get(), L"In");
    CMediaType pcm;
    WAVEFORMATEX wfx = PcmFormat(44100, 1);
    ASSERT_EQ(S_OK, CreateAudioMediaType(&wfx, &pcm, TRUE));
    EXPECT_EQ(S_OK, in->QueryAccept(&pcm));
    CMediaType video;
    video.majortype = MEDIATYPE_Video;
    EXPECT_EQ(S_FALSE, in->QueryAccept(&video));
    // A block alignment that does not fit the channels.
    reinterpret_cast<WAVEFORMATEX*>(pcm.Format())->nBlockAlign = 3;
    EXPECT_EQ(S_FALSE, in->QueryAccept(&pcm));
}

TEST_F(WavDestTest, FileNameIsKept) {
    LPOLESTR name = nullptr;
    EXPECT_EQ(E_FAIL, m_sink->GetCurFile(&name, nullptr));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(E_POINTER, m_sink->SetFileName(nullptr, nullptr));
    ASSERT_EQ(S_OK, m_sink->SetFileName(m_path.c_str(), nullptr));
    ASSERT_EQ(S_OK, m_sink->GetCurFile(&name, nullptr));
    EXPECT_EQ(m_path, std::wstring(name));
    ::CoTaskMemFree(name);
}

TEST_F(WavDestTest, WritesTheSamplesAsWaveFile) {
    ASSERT_EQ(S_OK, m_sink->SetFileName(m_path.c_str(), nullptr));
    RunToCompletion();

    WavFile wav = ReadWavFile(m_path);
    ASSERT_TRUE(wav.ok) << wav.error;
    const uint32_t dataBytes = kSamples * kSampleBytes;
    EXPECT_EQ(44u + dataBytes, wav.fileSize);
    EXPECT_EQ(36u + dataBytes, wav.riffSize);
    EXPECT_EQ(16u, wav.fmtSize);
    EXPECT_EQ(WAVE_FORMAT_PCM, wav.formatTag);
    EXPECT_EQ(2, wav.channels);
    EXPECT_EQ(48000u, wav.sampleRate);
    EXPECT_EQ(192000u, wav.avgBytesPerSec);
    EXPECT_EQ(4, wav.blockAlign);
    EXPECT_EQ(16, wav.bitsPerSample);
    ASSERT_EQ(dataBytes, wav.dataSize);
    long wrong = 0;
    for (int i = 0; i < kSamples; ++i)
        for (long k = 0; k < kSampleBytes; ++k)
            if (wav.data[static_cast<size_t>(i * kSampleBytes + k)] != PcmSource::PatternByte(i, k)) ++wrong;
    EXPECT_EQ(0, wrong);
}

TEST_F(WavDestTest, RunningAgainStartsAFreshFile) {
    ASSERT_EQ(S_OK, m_sink->SetFileName(m_path.c_str(), nullptr));
    RunToCompletion();
    // The graph may still hold the first run's completion: take every event.
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(S_OK, m_graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)));
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) events->FreeEventParams(code, p1, p2);
    ASSERT_TRUE(SUCCEEDED(m_control->Run()));
    ASSERT_EQ(S_OK, events->GetEvent(&code, &p1, &p2, 10000));
    events->FreeEventParams(code, p1, p2);
    EXPECT_EQ(EC_COMPLETE, code);
    ASSERT_EQ(S_OK, m_control->Stop());
    WavFile wav = ReadWavFile(m_path);
    ASSERT_TRUE(wav.ok) << wav.error;
    EXPECT_EQ(static_cast<uint32_t>(kSamples * kSampleBytes), wav.dataSize);
    EXPECT_EQ(PcmSource::PatternByte(0, 0), wav.data[0]);
}

// The graph forgets completions from before its Run: an end of stream that
// comes while paused is reported once the graph runs.
TEST_F(WavDestTest, CompletesOnlyOnceRunning) {
    ASSERT_EQ(S_OK, m_sink->SetFileName(m_path.c_str(), nullptr));
    ASSERT_EQ(S_OK, m_graph->ConnectDirect(FindPin(m_source.Get(), L"Out").Get(), FindPin(m_dest.Get(), L"In").Get(),
                                           nullptr));
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(S_OK, m_graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)));
    ASSERT_TRUE(SUCCEEDED(m_control->Pause()));
    // The source streams its few samples and their end while paused.
    ::Sleep(500);
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
        events->FreeEventParams(code, p1, p2);
        EXPECT_NE(EC_COMPLETE, code);
    }
    ASSERT_TRUE(SUCCEEDED(m_control->Run()));
    ASSERT_EQ(S_OK, events->GetEvent(&code, &p1, &p2, 5000));
    events->FreeEventParams(code, p1, p2);
    EXPECT_EQ(EC_COMPLETE, code);
    ASSERT_EQ(S_OK, m_control->Stop());
}

TEST_F(WavDestTest, WithoutFileNameDropsEverything) {
    RunToCompletion();
    EXPECT_FALSE(FileExists(m_path));
    WIN32_FIND_DATAW found;
    win::FindHandle search(::FindFirstFileW((m_dir + L"\\*.wav").c_str(), &found));
    EXPECT_FALSE(search);
}

TEST_F(WavDestTest, NoNewFileNameWhileRunning) {
    ASSERT_EQ(S_OK, m_sink->SetFileName(m_path.c_str(), nullptr));
    ASSERT_EQ(S_OK, m_graph->ConnectDirect(FindPin(m_source.Get(), L"Out").Get(), FindPin(m_dest.Get(), L"In").Get(),
                                           nullptr));
    ASSERT_TRUE(SUCCEEDED(m_control->Pause()));
    // The file exists from Pause on, with its header.
    EXPECT_TRUE(FileExists(m_path));
    EXPECT_EQ(VFW_E_WRONG_STATE, m_sink->SetFileName((m_dir + L"\\other.wav").c_str(), nullptr));
    ASSERT_EQ(S_OK, m_control->Stop());
}

}  // namespace
