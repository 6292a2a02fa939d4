#pragma once
// What the endpoint checks need from the system, in three small interfaces:
// one endpoint opened step by step for a format check, the list of active
// capture endpoints for the second source, and the user (boxes, shell
// starts, the pumped wait, the exit procedure). The recorder implements them
// over WASAPI, MMDevice and Win32; native tests script fakes.

#include <cstdint>
#include <string>

// The fields of a WAVEFORMATEX, as the checks read and propose them.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

// Result codes are HRESULTs: negative is a failure.
using AudioResult = std::int32_t;
constexpr AudioResult kAudioOk = 0;
inline bool AudioFailed(AudioResult hr) { return hr < 0; }

enum class EndpointRole { Speakers, Microphone };

// One default endpoint and its audio client, opened in the order of the
// check's stages. Each step works on what the steps before it opened; a step
// whose predecessor failed is never called. ReleaseAll drops everything
// (which also ends a test capture that Start began).
class EndpointProbe {
public:
    virtual ~EndpointProbe() = default;
    virtual AudioResult CreateEnumerator() = 0;
    // Speakers: the render endpoint for the console role; microphone: the
    // capture endpoint for the multimedia role.
    virtual AudioResult OpenDefaultEndpoint(EndpointRole role) = 0;
    virtual AudioResult ActivateClient() = 0;
    virtual AudioResult GetMixFormat(WaveFormat& mix) = 0;
    // Shared mode, asking for a closest match. hasClosest tells whether one
    // came back; closestAddress is its pointer as a number (for the log).
    virtual AudioResult IsFormatSupported(const WaveFormat& proposed, bool& hasClosest, WaveFormat& closest,
                                          std::uint32_t& closestAddress) = 0;
    // Shared mode, no periodicity, no session; loopback for the speakers.
    virtual AudioResult Initialize(bool loopback, std::int64_t bufferDuration, const WaveFormat& format) = 0;
    virtual AudioResult GetBufferSize(std::uint32_t& frames) = 0;
    virtual AudioResult GetCaptureService() = 0;
    virtual AudioResult Start() = 0;
    virtual void ReleaseAll() = 0;
};

// The active capture endpoints in collection order, one examined at a time.
class CaptureEndpointList {
public:
    virtual ~CaptureEndpointList() = default;
    // Creates the enumerator and the collection; false when either failed
    // (then the list counts as empty).
    virtual bool Open(std::uint32_t& count) = 0;
    // Selects endpoint i; the calls below work on it.
    virtual AudioResult Item(std::uint32_t i) = 0;
    virtual AudioResult GetId() = 0;
    virtual AudioResult OpenPropertyStore() = 0;
    virtual AudioResult FriendlyName(std::wstring& name) = 0;
    // Activates the selected endpoint's volume control and keeps it as the
    // second-source volume for the rest of the process.
    virtual AudioResult ActivateVolume() = 0;
    // SetMute(FALSE) on the kept volume control.
    virtual AudioResult Unmute() = 0;
    virtual void ReleaseAll() = 0;
};

class AudioUser {
public:
    virtual ~AudioUser() = default;
    // The recorder's message box; yesNo selects Yes/No. Returns 1, 6 or 7.
    virtual int ShowMessage(const std::wstring& text, bool yesNo) = 0;
    // Opens a file beside the program with the shell verb "open".
    virtual void OpenFile(const std::wstring& file) = 0;
    virtual void WaitPumping(unsigned ms) = 0;
    // A worker thread that opens the file with the shell verb "open", shown normally.
    virtual void StartOpenFileThread(const std::wstring& file) = 0;
    // A worker thread that shows the text in the recorder's box (OK).
    virtual void StartMessageThread(const std::wstring& text) = 0;
    // The recorder window's exit procedure; ends the process unless it is
    // already closing or the user keeps an active recording.
    virtual void CloseProgram() = 0;
};
