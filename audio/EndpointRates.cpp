#include "audio/EndpointRates.h"

#include <atomic>

namespace {

// Single words: the checks write them on the GUI thread, readers may sit on
// another thread.
std::atomic<std::uint32_t> g_speakersRate{0};
std::atomic<std::uint32_t> g_microphoneRate{0};
std::atomic<std::uint32_t> g_openedRate{0};
std::atomic<std::uint32_t> g_openedBytesPerSecond{0};
std::atomic<std::int32_t> g_secondSourceIndex{-1};

}  // namespace

std::uint32_t SpeakersSampleRate() { return g_speakersRate; }
std::uint32_t MicrophoneSampleRate() { return g_microphoneRate; }
std::uint32_t OpenedSampleRate() { return g_openedRate; }
std::uint32_t OpenedBytesPerSecond() { return g_openedBytesPerSecond; }
std::int32_t SecondSourceIndex() { return g_secondSourceIndex; }

void SetSpeakersSampleRate(std::uint32_t rate) { g_speakersRate = rate; }
void SetMicrophoneSampleRate(std::uint32_t rate) { g_microphoneRate = rate; }
void SetOpenedFormat(std::uint32_t rate, std::uint32_t bytesPerSecond) {
    g_openedRate = rate;
    g_openedBytesPerSecond = bytesPerSecond;
}
void SetSecondSourceIndex(std::int32_t index) { g_secondSourceIndex = index; }
