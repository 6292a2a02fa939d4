// CSonarkStream::FillBuffer over scripted endpoints: the start and stop of
// the clients following the filter state, the copy gate, the mix, the
// times, the carry and the split of long packets, and every failure.

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/wine/capfilter/StreamFixture.h"

using ::testing::ElementsAre;

namespace {
constexpr REFERENCE_TIME kLate = 100000000;  // stream time well past the first half second
}

class FillTest : public StreamTest {
protected:
    // Opens (stereo 48000 Hz speakers) and runs; sends three packets so the
    // copy gate is open for what follows.
    void Ready(int timingMode = 4, bool dual = false, WORD micChannels = 2) {
        Make(2, 48000, micChannels, 48000);
        sonark::SetCaptureParams(1, timingMode, dual ? 1 : 0, L"");
        OpenAndRun(kLate);
        for (int i = 0; i < 3; ++i) {
            audio->speakers->capture->Queue(StereoPacket(480, 1000, -1000));
            FakeMediaSample settle(48000);
            ASSERT_EQ(Fill(settle), S_OK);
            ASSERT_EQ(settle.actual, 1920);
            // Settling packets go out as silence of the same length.
            EXPECT_THAT(Samples16(settle.buffer.data(), 8), ElementsAre(0, 0, 0, 0));
        }
    }
};

TEST_F(FillTest, WithoutEnableEveryFillFails) {
    Make();
    OpenAndRun(kLate);
    FakeMediaSample sample(48000);
    EXPECT_EQ(Fill(sample), E_FAIL);
    EXPECT_EQ(sample.actual, -1);
    EXPECT_EQ(audio->speakers->startCalls, 0);
    sonark::SetCaptureParams(1, 1, 0, L"");
    EXPECT_EQ(stream->FillBuffer(nullptr), E_POINTER);
}

// A fill that must wait runs on a thread of its own, as the worker's would.
class BackgroundFill {
public:
    BackgroundFill(CSonarkStream* stream, FakeMediaSample& sample)
        : m_thread([this, stream, &sample] {
              m_result = stream->FillBuffer(&sample);
              m_done = true;
          }) {}
    ~BackgroundFill() { Join(); }
    bool Done() const { return m_done; }
    HRESULT Join() {
        if (m_thread.joinable()) m_thread.join();
        return m_result;
    }

private:
    std::atomic<bool> m_done{false};
    HRESULT m_result = E_PENDING;
    std::thread m_thread;
};

// Nothing goes out untimed: a paused filter's fill waits until the graph
// runs and then sends the first packet, timed.
TEST_F(FillTest, APausedFilterSendsNothingUntilItRuns) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    clock.Attach(new FakeClock);
    clock->now = kLate;
    ASSERT_EQ(filter->SetSyncSource(clock.Get()), S_OK);
    ASSERT_EQ(filter->Pause(), S_OK);
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample sample(48000);
    BackgroundFill fill(stream, sample);
    ::Sleep(150);
    EXPECT_FALSE(fill.Done());
    EXPECT_EQ(sample.actual, -1);
    EXPECT_EQ(audio->speakers->startCalls, 0);
    ASSERT_EQ(filter->Run(0), S_OK);
    EXPECT_EQ(fill.Join(), S_OK);
    EXPECT_EQ(sample.actual, 1920);
    EXPECT_TRUE(sample.timeSet);
    EXPECT_EQ(sample.start, 0);
    EXPECT_EQ(audio->speakers->startCalls, 1);
}

TEST_F(FillTest, SettlingPacketsAreSilentButTimedAndTheFirstIsADiscontinuity) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    OpenAndRun(kLate);
    std::vector<FakeMediaSample*> samples;
    for (int i = 0; i < 4; ++i) {
        audio->speakers->capture->Queue(StereoPacket(480, 1000, -1000));
        auto* s = new FakeMediaSample(48000);
        samples.push_back(s);
        ASSERT_EQ(Fill(*s), S_OK);
    }
    EXPECT_EQ(audio->speakers->startCalls, 1);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(samples[i]->actual, 1920);
        EXPECT_EQ(samples[i]->start, i * 100000);
        EXPECT_EQ(samples[i]->stop, (i + 1) * 100000);
        EXPECT_EQ(samples[i]->discontinuity, i == 0);
        EXPECT_EQ(samples[i]->syncPoint, i == 0);
        EXPECT_EQ(samples[i]->preroll, FALSE);
        int expected = i < 3 ? 0 : 1000;
        EXPECT_EQ(Samples16(samples[i]->buffer.data(), 4)[0], expected);
        // Nothing is written past the data.
        EXPECT_EQ(samples[i]->buffer[1920], 0xCD);
    }
    for (auto* s : samples) s->Release();
    EXPECT_THAT(audio->speakers->capture->Released(), ElementsAre(480u, 480u, 480u, 480u));
}

TEST_F(FillTest, NothingIsCopiedInTheFirstHalfSecondOfStreamTime) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    OpenAndRun(5000000);
    for (int i = 0; i < 5; ++i) {
        audio->speakers->capture->Queue(StereoPacket(480, 1000, -1000));
        FakeMediaSample s(48000);
        ASSERT_EQ(Fill(s), S_OK);
        EXPECT_EQ(s.actual, 1920);
        EXPECT_EQ(Samples16(s.buffer.data(), 4)[0], 0);
    }
    clock->now = 5000001;
    audio->speakers->capture->Queue(StereoPacket(480, 1000, -1000));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    EXPECT_EQ(Samples16(s.buffer.data(), 4)[0], 1000);
}

TEST_F(FillTest, StereoMicrophoneIsMixedWithSaturation) {
    Ready(4, true);
    audio->speakers->capture->Queue(Pcm16({30000, -30000, 100, 200}));
    audio->mic->capture->Queue(Pcm16({10000, -10000, 1, 2}));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    ASSERT_EQ(s.actual, 8);
    EXPECT_THAT(Samples16(s.buffer.data(), 8), ElementsAre(32767, -32768, 101, 202));
    EXPECT_EQ(audio->mic->capture->Released().back(), 2u);
}

TEST_F(FillTest, MonoMicrophoneGoesIntoBothChannels) {
    Ready(4, true, 1);
    audio->speakers->capture->Queue(Pcm16({10, 20, 30, 40}));
    audio->mic->capture->Queue(Pcm16({5, -7}));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    EXPECT_THAT(Samples16(s.buffer.data(), 8), ElementsAre(15, 25, 23, 33));
}

TEST_F(FillTest, EmptyMicrophonePacketLeavesTheSpeakersPacketUnchanged) {
    Ready(4, true);
    audio->speakers->capture->Queue(Pcm16({30000, -5, 7, 8}));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    EXPECT_THAT(Samples16(s.buffer.data(), 8), ElementsAre(30000, -5, 7, 8));
    EXPECT_EQ(audio->mic->capture->Released().back(), 0u);
}

TEST_F(FillTest, MicrophoneBytesBeyondThePacketAreCarriedToTheNext) {
    Ready(4, true);
    audio->speakers->capture->Queue(Pcm16({1, 1}));
    audio->mic->capture->Queue(Pcm16({10, 20, 30, 40}));
    FakeMediaSample first(48000);
    ASSERT_EQ(Fill(first), S_OK);
    EXPECT_THAT(Samples16(first.buffer.data(), 4), ElementsAre(11, 21));
    // The whole microphone packet went back to the endpoint.
    EXPECT_EQ(audio->mic->capture->Released().back(), 2u);

    audio->speakers->capture->Queue(Pcm16({2, 2}));
    FakeMediaSample second(48000);
    ASSERT_EQ(Fill(second), S_OK);
    EXPECT_THAT(Samples16(second.buffer.data(), 4), ElementsAre(32, 42));
    EXPECT_EQ(stream->DroppedMicrophoneBytes(), 0u);
}

TEST_F(FillTest, APacketLongerThanTheSampleGoesOutAcrossSamples) {
    Ready(4);
    audio->speakers->capture->Queue(Pcm16({1, 2, 3, 4, 5, 6}));
    FakeMediaSample first(10);  // room for two frames
    ASSERT_EQ(Fill(first), S_OK);
    EXPECT_EQ(first.actual, 8);
    EXPECT_THAT(Samples16(first.buffer.data(), 8), ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(first.buffer[8], 0xCD);
    EXPECT_EQ(first.stop - first.start, 416);  // 8 bytes at 192000 bytes/s

    FakeMediaSample second(10);
    ASSERT_EQ(Fill(second), S_OK);
    EXPECT_EQ(second.actual, 4);
    EXPECT_THAT(Samples16(second.buffer.data(), 4), ElementsAre(5, 6));
    EXPECT_EQ(second.start, first.stop);
    EXPECT_EQ(second.discontinuity, FALSE);
    // The packet was read once and released whole.
    EXPECT_EQ(audio->speakers->capture->Released().back(), 3u);
    EXPECT_EQ(audio->speakers->capture->Queued(), 0u);
}

TEST_F(FillTest, ModeOneMovesALateSampleWholeAndKeepsTheSampleClock) {
    Ready(1);
    // Three settling packets leave the sample clock at 300000; one packet of
    // 94560 frames (19700000 units) brings it to 2 s.
    clock->now = 0;
    audio->speakers->capture->Queue(StereoPacket(94560, 0, 0));
    FakeMediaSample big(378240);
    ASSERT_EQ(Fill(big), S_OK);
    ASSERT_EQ(big.stop, 20000000);

    clock->now = 30000000;
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample late(48000);
    ASSERT_EQ(Fill(late), S_OK);
    EXPECT_EQ(late.start, 30000000);
    EXPECT_EQ(late.stop, 30100000);

    clock->now = 0;
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample next(48000);
    ASSERT_EQ(Fill(next), S_OK);
    EXPECT_EQ(next.start, 20100000);  // the sample clock was not moved
    EXPECT_EQ(next.stop, 20200000);
}

TEST_F(FillTest, ModeZeroPullsTheClockForwardOnceItLags) {
    Ready(0);
    clock->now = 0;
    for (int i = 0; i < 8; ++i) {
        audio->speakers->capture->Queue(StereoPacket(48000, 0, 0));
        FakeMediaSample s(192000);
        ASSERT_EQ(Fill(s), S_OK);
    }
    // The sample clock stands at 80300000 and lags the stream time.
    clock->now = 90000000;
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    EXPECT_EQ(s.start, 90000000);
    EXPECT_EQ(s.stop, 90100000);
}

TEST_F(FillTest, ModeFourFollowsTheDataOnly) {
    Ready(4);
    clock->now = 900000000;
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample s(48000);
    ASSERT_EQ(Fill(s), S_OK);
    EXPECT_EQ(s.start, 300000);
    EXPECT_EQ(s.stop, 400000);
}

// The pause itself stops the clients, without waiting for the worker's next
// fill: a writer may hold the worker in a delivery for the whole pause.
TEST_F(FillTest, PausingAfterASampleStopsTheClientsAndRunningStartsThemAgain) {
    Ready(4, true);
    EXPECT_EQ(audio->speakers->startCalls, 1);
    EXPECT_EQ(audio->mic->startCalls, 1);
    ASSERT_EQ(filter->Pause(), S_OK);
    EXPECT_EQ(audio->speakers->stopCalls, 1);
    EXPECT_EQ(audio->mic->stopCalls, 1);
    ASSERT_EQ(filter->Run(0), S_OK);
    audio->speakers->capture->Queue(StereoPacket(480, 1, 1));
    FakeMediaSample again(48000);
    ASSERT_EQ(Fill(again), S_OK);
    EXPECT_EQ(audio->speakers->startCalls, 2);
    // The sample clock continues.
    EXPECT_EQ(again.start, 300000);
}

// The graph runs its filters from a start time in the future: until stream
// time 0 the clients stay stopped and nothing goes out, so the first byte
// captured is the one at stream time 0.
TEST_F(FillTest, TheClientsStartWhenTheGraphsStartTimeComes) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    clock.Attach(new FakeClock);
    ASSERT_EQ(filter->SetSyncSource(clock.Get()), S_OK);
    ASSERT_EQ(filter->Run(2000000), S_OK);
    audio->speakers->capture->Queue(StereoPacket(480, 1, 1));
    clock->now = 0;
    FakeMediaSample first(48000);
    BackgroundFill fill(stream, first);
    ::Sleep(100);
    clock->now = 1999999;
    ::Sleep(100);
    EXPECT_FALSE(fill.Done());
    EXPECT_EQ(audio->speakers->startCalls, 0);
    clock->now = 2000000;
    ASSERT_EQ(fill.Join(), S_OK);
    EXPECT_EQ(audio->speakers->startCalls, 1);
    EXPECT_EQ(first.actual, 1920);
    EXPECT_EQ(first.start, 0);
}

// A pause that comes while the thread waits for a packet stops the clients
// at once; the fill waits on, and sends the first packet after the run.
TEST_F(FillTest, APauseDuringTheWaitStopsTheClientsAndTheFillWaitsForTheRun) {
    Ready(4, true);
    FakeMediaSample waiting(48000);
    BackgroundFill fill(stream, waiting);
    ::Sleep(50);
    ASSERT_EQ(filter->Pause(), S_OK);
    ::Sleep(100);
    EXPECT_FALSE(fill.Done());
    EXPECT_EQ(audio->speakers->stopCalls, 1);
    EXPECT_EQ(audio->mic->stopCalls, 1);
    audio->speakers->capture->Queue(StereoPacket(480, 1, 1));
    ASSERT_EQ(filter->Run(0), S_OK);
    EXPECT_EQ(fill.Join(), S_OK);
    EXPECT_EQ(waiting.actual, 1920);
    EXPECT_EQ(waiting.start, 300000);
}

// The speakers' endpoint is lost: silence keeps the time line while there
// is none, a new one is tried every 500 ms and opened in the pin's format
// with the system's conversion; no message.
TEST_F(FillTest, LostSpeakersAreReopenedAndTheGapIsSilence) {
    Ready(4, true);
    audio->speakers->capture->nextPacketSizeResult = AUDCLNT_E_DEVICE_INVALIDATED;
    audio->speakersDevice->activateResult = AUDCLNT_E_DEVICE_INVALIDATED;
    const int activations = audio->speakersDevice->activateCalls;
    audio->mic->capture->Queue(StereoPacket(480, 5, 5));
    // The distance at the loss (the stream time less the sample clock) stays.
    FakeMediaSample gap(48000);
    {
        BackgroundFill fill(stream, gap);
        ::Sleep(100);
        EXPECT_FALSE(fill.Done());
        clock->now = kLate + 100000;  // 10 ms on
        ASSERT_EQ(fill.Join(), S_OK);
    }
    EXPECT_EQ(gap.actual, 1920);
    EXPECT_EQ(gap.start, 300000);
    EXPECT_EQ(gap.stop, 400000);
    // The microphone goes on over the silence.
    EXPECT_THAT(Samples16(gap.buffer.data(), 4), ElementsAre(5, 5));
    EXPECT_EQ(audio->speakersDevice->activateCalls, activations + 1);

    audio->speakersDevice->activateResult = S_OK;
    audio->speakers->capture->nextPacketSizeResult = S_OK;
    audio->speakers->capture->Queue(StereoPacket(480, 1000, 1000));
    FakeMediaSample back(48000);
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(Fill(back), S_OK);
    // The next try comes 500 ms after the failed one.
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(300));
    EXPECT_EQ(audio->speakers->initFlags,
              static_cast<DWORD>(AUDCLNT_STREAMFLAGS_LOOPBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                                 AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY));
    EXPECT_EQ(audio->speakers->initFormat.nSamplesPerSec, 48000u);
    EXPECT_EQ(audio->speakers->initFormat.nChannels, 2);
    EXPECT_EQ(audio->speakers->startCalls, 2);
    EXPECT_EQ(back.start, 400000);
    EXPECT_EQ(Samples16(back.buffer.data(), 2)[0], 1000);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());
}

// A lost microphone leaves the speakers alone in the mix until it is back.
TEST_F(FillTest, ALostMicrophoneLeavesTheSpeakersAloneUntilItIsBack) {
    Ready(4, true);
    audio->mic->capture->nextPacketSizeResult = AUDCLNT_E_DEVICE_INVALIDATED;
    audio->micDevice->activateResult = AUDCLNT_E_DEVICE_INVALIDATED;
    audio->speakers->capture->Queue(Pcm16({100, 200}));
    FakeMediaSample alone(48000);
    ASSERT_EQ(Fill(alone), S_OK);
    EXPECT_THAT(Samples16(alone.buffer.data(), 4), ElementsAre(100, 200));
    EXPECT_EQ(alone.start, 300000);

    audio->micDevice->activateResult = S_OK;
    audio->mic->capture->nextPacketSizeResult = S_OK;
    ::Sleep(550);
    // This fill starts the opening, on a thread of its own; the next one
    // takes it over.
    audio->speakers->capture->Queue(Pcm16({100, 200}));
    FakeMediaSample opening(48000);
    ASSERT_EQ(Fill(opening), S_OK);
    ::Sleep(50);
    audio->mic->capture->Queue(Pcm16({1, 2}));
    audio->speakers->capture->Queue(Pcm16({100, 200}));
    FakeMediaSample mixed(48000);
    ASSERT_EQ(Fill(mixed), S_OK);
    EXPECT_THAT(Samples16(mixed.buffer.data(), 4), ElementsAre(101, 202));
    EXPECT_EQ(audio->mic->startCalls, 2);
    EXPECT_EQ(audio->mic->initFlags,
              static_cast<DWORD>(AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY));
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());
}

TEST_F(FillTest, StartIsTriedTwice) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    OpenAndRun(kLate);
    audio->speakers->startResults = {AUDCLNT_E_NOT_STOPPED};
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample s(48000);
    EXPECT_EQ(Fill(s), S_OK);
    EXPECT_EQ(audio->speakers->startCalls, 2);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());
}

struct FailureCase {
    const char* name;
    void (*script)(FakeAudioSystem&, FakeMediaSample&);
    const wchar_t* message;  // null: none
};

class FillFailureTest : public FillTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FillFailureTest, FailsWithItsMessage) {
    const FailureCase& c = GetParam();
    Make();
    sonark::SetCaptureParams(1, 4, 1, L"");
    OpenAndRun(kLate);
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    audio->mic->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample s(48000);
    c.script(*audio, s);
    EXPECT_EQ(Fill(s), E_FAIL);
    if (c.message)
        EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(c.message));
    else
        EXPECT_TRUE(FakeAudioSystem::Messages().empty());
}

class FillStopFailureTest : public FillTest, public ::testing::WithParamInterface<FailureCase> {};

// The clients are stopped only once a sample has gone out.
TEST_P(FillStopFailureTest, FailsWithItsMessage) {
    const FailureCase& c = GetParam();
    Make();
    sonark::SetCaptureParams(1, 4, 1, L"");
    OpenAndRun(kLate);
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    FakeMediaSample first(48000);
    ASSERT_EQ(Fill(first), S_OK);
    FakeMediaSample s(48000);
    c.script(*audio, s);
    // The pause's own stop fails quietly; the next fill tries again and
    // reports it.
    ASSERT_EQ(filter->Pause(), S_OK);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());
    EXPECT_EQ(Fill(s), E_FAIL);
    EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FillFailureTest,
    ::testing::Values(
        FailureCase{"start",
                    [](FakeAudioSystem& a, FakeMediaSample&) {
                        a.speakers->startResults = {E_FAIL, E_FAIL};
                    },
                    L"Error - Cannot start the audio client"},
        FailureCase{"startMic", [](FakeAudioSystem& a, FakeMediaSample&) { a.mic->startResults = {E_FAIL}; },
                    L"Error - Cannot start second audio client"},
        FailureCase{
            "packetSize",
            [](FakeAudioSystem& a, FakeMediaSample&) { a.speakers->capture->nextPacketSizeResult = E_UNEXPECTED; },
            L"Error - Cannot get audio packet size"},
        FailureCase{"micPacketSize",
                    [](FakeAudioSystem& a, FakeMediaSample&) { a.mic->capture->nextPacketSizeResult = E_UNEXPECTED; },
                    L"Error - Cannot get audio 2 packet size"},
        FailureCase{
            "getBuffer",
            [](FakeAudioSystem& a, FakeMediaSample&) { a.speakers->capture->getBufferResult = AUDCLNT_E_OUT_OF_ORDER; },
            L"Error - Cannot get audio data"},
        FailureCase{
            "micGetBuffer",
            [](FakeAudioSystem& a, FakeMediaSample&) { a.mic->capture->getBufferResult = AUDCLNT_E_OUT_OF_ORDER; },
            L"Error - Cannot get audio 2 data"},
        FailureCase{"setTime", [](FakeAudioSystem&, FakeMediaSample& s) { s.setTimeResult = E_UNEXPECTED; },
                    L"Error - Cannot set audio media time"},
        FailureCase{"preroll", [](FakeAudioSystem&, FakeMediaSample& s) { s.prerollResult = E_UNEXPECTED; }, nullptr},
        FailureCase{"mediaType", [](FakeAudioSystem&, FakeMediaSample& s) { s.mediaTypeResult = E_UNEXPECTED; },
                    nullptr},
        FailureCase{"discontinuity", [](FakeAudioSystem&, FakeMediaSample& s) { s.discontinuityResult = E_UNEXPECTED; },
                    nullptr},
        FailureCase{"syncPoint", [](FakeAudioSystem&, FakeMediaSample& s) { s.syncPointResult = E_UNEXPECTED; },
                    nullptr},
        FailureCase{
            "release",
            [](FakeAudioSystem& a, FakeMediaSample&) { a.speakers->capture->releaseResult = AUDCLNT_E_INVALID_SIZE; },
            L"Error - Cannot release audio buffer"},
        FailureCase{
            "micRelease",
            [](FakeAudioSystem& a, FakeMediaSample&) { a.mic->capture->releaseResult = AUDCLNT_E_INVALID_SIZE; },
            L"Error - Cannot release audio buffer 2"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FillStopFailureTest,
    ::testing::Values(FailureCase{"stop", [](FakeAudioSystem& a, FakeMediaSample&) { a.speakers->stopResult = E_FAIL; },
                                  L"Error - Cannot stop the audio client"},
                      FailureCase{"stopMic", [](FakeAudioSystem& a, FakeMediaSample&) { a.mic->stopResult = E_FAIL; },
                                  L"Error - Cannot stop the audio 2 client"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });
