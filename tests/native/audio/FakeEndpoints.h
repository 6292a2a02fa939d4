#pragma once
// Scripted endpoints and a recording user for the endpoint checks: each step
// answers what the test set, every call is recorded in order.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/EndpointSeams.h"

// One default endpoint as the check sees it.
class ScriptedProbe final : public EndpointProbe {
public:
    WaveFormat mix;
    AudioResult createResult = kAudioOk;
    AudioResult endpointResult = kAudioOk;
    AudioResult activateResult = kAudioOk;
    AudioResult mixResult = kAudioOk;
    AudioResult supportedResult = kAudioOk;
    bool giveClosest = false;
    WaveFormat closest;
    std::uint32_t closestAddress = 0;
    AudioResult initializeResult = kAudioOk;
    AudioResult bufferResult = kAudioOk;
    AudioResult serviceResult = kAudioOk;
    AudioResult startResult = kAudioOk;

    // What the check did.
    std::vector<std::string> calls;
    EndpointRole role = EndpointRole::Speakers;
    WaveFormat supportedAsked;
    bool loopback = false;
    std::int64_t duration = 0;
    WaveFormat initialized;

    AudioResult CreateEnumerator() override;
    AudioResult OpenDefaultEndpoint(EndpointRole r) override;
    AudioResult ActivateClient() override;
    AudioResult GetMixFormat(WaveFormat& format) override;
    AudioResult IsFormatSupported(const WaveFormat& proposed, bool& hasClosest, WaveFormat& match,
                                  std::uint32_t& address) override;
    AudioResult Initialize(bool loop, std::int64_t bufferDuration, const WaveFormat& format) override;
    AudioResult GetBufferSize(std::uint32_t& frames) override;
    AudioResult GetCaptureService() override;
    AudioResult Start() override;
    void ReleaseAll() override;
};

// One capture endpoint of the list.
struct ScriptedCaptureEndpoint {
    std::wstring name;
    AudioResult itemResult = kAudioOk;
    AudioResult storeResult = kAudioOk;
    AudioResult nameResult = kAudioOk;
    AudioResult volumeResult = kAudioOk;
};

class ScriptedCaptureList final : public CaptureEndpointList {
public:
    std::vector<ScriptedCaptureEndpoint> endpoints;
    bool openResult = true;

    std::vector<std::string> calls;
    // Endpoints whose volume was activated and unmuted, by position.
    std::vector<std::uint32_t> activated;
    std::vector<std::uint32_t> unmuted;

    bool Open(std::uint32_t& count) override;
    AudioResult Item(std::uint32_t i) override;
    AudioResult GetId() override;
    AudioResult OpenPropertyStore() override;
    AudioResult FriendlyName(std::wstring& name) override;
    AudioResult ActivateVolume() override;
    AudioResult Unmute() override;
    void ReleaseAll() override;

private:
    std::uint32_t m_current = 0;
};

// Records what the user saw and what was started, in order, as text:
// "ask:<text>", "box:<text>", "open:<file>", "wait:<ms>", "thread-open:<file>",
// "thread-box:<text>", "close". Questions are answered from `answers` in
// order (Yes = 6, No = 7), then No.
class RecordingUser final : public AudioUser {
public:
    std::vector<int> answers;
    std::vector<std::wstring> events;

    int ShowMessage(const std::wstring& text, bool yesNo) override;
    void OpenFile(const std::wstring& file) override;
    void WaitPumping(unsigned ms) override;
    void StartOpenFileThread(const std::wstring& file) override;
    void StartMessageThread(const std::wstring& text) override;
    void CloseProgram() override;

private:
    size_t m_next = 0;
};

// Every diagnostic log text written while it lives, joined.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::wstring Text() const;
};

// A mix format as WASAPI reports it for shared mode (32-bit float).
WaveFormat FloatMix(std::uint16_t channels, std::uint32_t rate);
