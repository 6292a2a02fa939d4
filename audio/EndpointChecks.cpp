#include "audio/EndpointChecks.h"

#include <cstdarg>
#include <cwchar>

#include "app/services/DiagnosticLog.h"
#include "audio/EndpointRates.h"

const wchar_t kSpeakersInstructions[] =
    L"\r\nWINDOWS SPEAKERS SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Speakers.\r\nClick Configure and make "
    L"sure the Audio is set to Stereo.\r\nClick Properties then click Advanced and set the audio format to 16 or 24 "
    L"bit, 48000 Hz or 44100 Hz (samples).\r\n\r\nRestart Telvane.";
const wchar_t kMicrophoneInstructions[] =
    L"\r\nWINDOWS MICROPHONE SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Speakers.\r\nClick Configure and "
    L"make sure the Audio is set to Stereo.\r\nClick Properties then click Advanced and set the audio format to 16 or "
    L"24 bit, 48000 Hz or 44100 Hz.\r\n\r\nClick Recording, click your microphone, Properties ,Advanced. Select the "
    L"same sample rate.\r\n\r\nRestart Telvane.";

namespace {

constexpr AudioResult kUnsupportedFormat = static_cast<AudioResult>(0x88890008u);
constexpr int kYes = 6;

const wchar_t kFormatFields[] =
    L"\r\nwFormatTag=%d\r\nnChannels=%d\r\nnSamplesPerSec=%d\r\nnAvgBytesPerSec=%d\r\nnBlockAlign=%d\r\n"
    L"wBitsPerSample=%d\r\ncbSize=%d";

// The texts here hold numbers only, so 512 characters always suffice.
std::wstring Formatted(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(text, sizeof text / sizeof text[0], format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

void LogFormat(const wchar_t* heading, const wchar_t* tail, const WaveFormat& f) {
    const std::wstring format = std::wstring(heading) + kFormatFields + tail;
    AppendLog(format.c_str(), f.formatTag, f.channels, static_cast<int>(f.samplesPerSec),
              static_cast<int>(f.avgBytesPerSec), f.blockAlign, f.bitsPerSample, f.cbSize);
}

unsigned Hex(AudioResult hr) { return static_cast<unsigned>(hr); }

bool RateSupported(std::uint32_t rate) { return rate == 48000 || rate == 44100; }

}  // namespace

WaveFormat ProposedFormat(EndpointRole role, const WaveFormat& mix) {
    WaveFormat f;
    f.formatTag = 1;
    f.channels = role == EndpointRole::Speakers ? 2 : mix.channels;
    f.samplesPerSec = mix.samplesPerSec;
    f.bitsPerSample = 16;
    f.blockAlign = static_cast<std::uint16_t>(f.channels * 16 / 8);
    f.avgBytesPerSec = f.blockAlign * f.samplesPerSec;
    f.cbSize = 0;
    return f;
}

int CheckEndpointFormat(EndpointRole role, EndpointProbe& probe, AudioUser& user) {
    const bool speakers = role == EndpointRole::Speakers;
    int stage = 1;
    bool rateNotSupported = false;
    bool bufferSizeAsked = false;
    bool started = false;
    WaveFormat mix;

    AudioResult hr = probe.CreateEnumerator();
    if (!AudioFailed(hr)) {
        stage = 2;
        hr = probe.OpenDefaultEndpoint(role);
    }
    if (!AudioFailed(hr)) {
        stage = 3;
        hr = probe.ActivateClient();
    }
    if (!AudioFailed(hr)) {
        stage = 4;
        hr = probe.GetMixFormat(mix);
    }
    if (!AudioFailed(hr)) {
        LogFormat(speakers ? L"\r\n\r\n---Default Renderer Format---" : L"\r\n\r\n---Default Microphone Format---", L"",
                  mix);

        const WaveFormat proposed = ProposedFormat(role, mix);
        if (speakers)
            SetSpeakersSampleRate(mix.samplesPerSec);
        else
            SetMicrophoneSampleRate(mix.samplesPerSec);
        rateNotSupported = !RateSupported(mix.samplesPerSec);
        LogFormat(L"\r\n\r\n---Proposed Format---", L"", proposed);

        bool hasClosest = false;
        WaveFormat closest;
        std::uint32_t closestAddress = 0;
        hr = probe.IsFormatSupported(proposed, hasClosest, closest, closestAddress);
        AppendLog(L"\r\n\r\nhr=0x%08x pWfxTemp=%u", Hex(hr), static_cast<unsigned>(closestAddress));
        if (hr != kAudioOk) {
            stage = 5;
            AppendLog(L"\r\nFormat NOT accepted by renderer");
        } else {
            AppendLog(L"\r\nFormat accepted by renderer");
        }
        if (hasClosest)
            LogFormat(L"\r\nSuggested format", L"\r\n", closest);
        else
            AppendLog(L"\r\nNO Suggested format\r\n");

        stage = 6;
        hr = probe.Initialize(speakers, kCheckBufferDuration, proposed);
        if (AudioFailed(hr)) {
            AppendLog(L"\r\n\r\nCannot initialize Audio Client hr=0x%08x", Hex(hr));
        } else {
            AppendLog(L"\r\n\r\nINITIALIZE  Audio Client OK hr=0x%08x\r\n\r\n", Hex(hr));
            SetOpenedFormat(proposed.samplesPerSec,
                            proposed.channels * proposed.bitsPerSample * proposed.samplesPerSec / 8);
            stage = 7;
            std::uint32_t frames = 0;
            bufferSizeAsked = true;
            hr = probe.GetBufferSize(frames);
            if (AudioFailed(hr)) {
                AppendLog(L"\r\n\r\nGetBufferSize failed hr=0x%08x", Hex(hr));
            } else {
                stage = 8;
                hr = probe.GetCaptureService();
                if (AudioFailed(hr)) {
                    AppendLog(L"\r\n\r\nGetService failed hr=0x%08x", Hex(hr));
                } else {
                    stage = 9;
                    hr = probe.Start();
                    if (AudioFailed(hr))
                        AppendLog(L"\r\n\r\nStart failed hr=0x%08x", Hex(hr));
                    else
                        started = true;
                }
            }
        }
    }

    if (started && !speakers && SpeakersSampleRate() != MicrophoneSampleRate()) {
        const std::wstring question = Formatted(
            L"Speakers sample rate and microphone sample rate are different (%d Hz, %d Hz). They must be set the "
            L"same, 48000 Hz or 44100 Hz. Would you like to do this now?",
            static_cast<int>(SpeakersSampleRate()), static_cast<int>(MicrophoneSampleRate()));
        if (user.ShowMessage(question, true) == kYes) FixAudioSettings(kMicrophoneInstructions, user);
    }
    if (started && !rateNotSupported) {
        probe.ReleaseAll();
        return 1;
    }

    const wchar_t* instructions = speakers ? kSpeakersInstructions : kMicrophoneInstructions;
    if (rateNotSupported) {
        const std::wstring question =
            speakers ? Formatted(
                           L"UNSUPPORTED SAMPLE RATE (%dHz).\r\nSpeakers audio sample rate error. Would you "
                           L"like to fix now?",
                           static_cast<int>(mix.samplesPerSec))
                     : Formatted(
                           L"UNSUPPORTED SAMPLE RATE (%d Hz).\r\nMicrophone sample rate error. Would you "
                           L"like to fix now?",
                           static_cast<int>(mix.samplesPerSec));
        if (user.ShowMessage(question, true) == kYes) FixAudioSettings(instructions, user);
    }
    if (AudioFailed(hr))
        AppendLog(L"\r\n\r\nEXIT ERROR %d hr=0x%08x %ls", bufferSizeAsked ? 2 : 0, Hex(hr),
                  hr == kUnsupportedFormat ? L"AUDCLNT_E_UNSUPPORTED_FORMAT" : L"");
    probe.ReleaseAll();
    if (stage < 5) return 0;

    if (speakers) {
        const std::wstring question = Formatted(
            L"Speaker audio recording cannot be setup. Make sure your audio system is not surround or quadrophonic "
            L"or audio sample rates are higher than 48000 Hz. You may have to change your speakers settings to "
            L"Stereo, 48000 or 44100 sample rate. (ERROR %d)\r\n\r\nWould you like to do this now?",
            stage);
        if (user.ShowMessage(question, true) == kYes) FixAudioSettings(instructions, user);
    } else {
        user.ShowMessage(Formatted(L"Microphone recording cannot be setup. Make sure your audio system is not setup "
                                   L"on surround, quadrophonic sound or audio sample rates higher than 48000 Hz. You "
                                   L"may have to change your speakers settings to Stereo, 48000 or 44000 sample "
                                   L"rate. (ERROR %d)",
                                   stage),
                         false);
    }
    user.OpenFile(L".\\AudioHelp.rtf");
    return hr;
}

void FixAudioSettings(const std::wstring& instructions, AudioUser& user) {
    user.WaitPumping(1000);
    user.StartOpenFileThread(L".\\sound.bat");
    user.WaitPumping(1000);
    user.StartMessageThread(instructions);
    user.CloseProgram();
}

int SetupSecondSourceWith(const std::wstring& name, CaptureEndpointList& endpoints, AudioUser& user) {
    int code = 0;
    std::uint32_t count = 0;
    if (!endpoints.Open(count)) count = 0;
    if (count == 0) {
        user.ShowMessage(L"No audio recording devices found (microphone disabled or disconnected)", false);
        code = 105;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        code = 0;
        if (AudioFailed(endpoints.Item(i))) {
            code = 1;
            continue;
        }
        endpoints.GetId();
        if (AudioFailed(endpoints.OpenPropertyStore())) {
            code = 3;
            continue;
        }
        std::wstring friendly;
        if (AudioFailed(endpoints.FriendlyName(friendly))) {
            code = 4;
            continue;
        }
        if (friendly.find(name) == std::wstring::npos) continue;

        SetSecondSourceIndex(static_cast<std::int32_t>(i));
        code = 0;
        const AudioResult hr = endpoints.ActivateVolume();
        if (AudioFailed(hr))
            user.ShowMessage(L"Unable to activate volume on device " + name + Formatted(L" (hr=%x)", Hex(hr)), false);
        else
            endpoints.Unmute();
        break;
    }
    endpoints.ReleaseAll();
    if (code != 0) {
        user.ShowMessage(Formatted(L"ERROR %d. Cannot setup second audio source ", code) + name, false);
        return 0;
    }
    return 1;
}
