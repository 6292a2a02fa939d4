#pragma once
// The decisions of the endpoint checks, over the seams of EndpointSeams.h:
// which step runs, what goes to the diagnostic log, which question is asked
// and what is returned. EndpointFormats.h wires them to the system.

#include <string>

#include "audio/EndpointSeams.h"

// The fixes' instructions, shown after the sound settings are opened.
extern const wchar_t kSpeakersInstructions[];
extern const wchar_t kMicrophoneInstructions[];

// Requested buffer duration of the test capture: 1 s in 100-ns units.
constexpr std::int64_t kCheckBufferDuration = 10000000;

// Speakers (16-bit stereo PCM in loopback) or microphone (16-bit PCM at its
// own channel count): 1 when every step passed at 44100 or 48000 Hz,
// otherwise the last result code (0 when the endpoint could not even be
// read). The microphone check compares with the speakers' rate, so it runs
// second.
int CheckEndpointFormat(EndpointRole role, EndpointProbe& probe, AudioUser& user);

// Finds the first active capture endpoint whose friendly name contains
// `name` (case-sensitive), keeps its position and unmutes it. 1 on success,
// 0 after an error message.
int SetupSecondSourceWith(const std::wstring& name, CaptureEndpointList& endpoints, AudioUser& user);

// Opens the sound settings (".\sound.bat") and the instructions on worker
// threads, a second apart, then runs the exit procedure.
void FixAudioSettings(const std::wstring& instructions, AudioUser& user);

// The proposed format for an endpoint with this mix format.
WaveFormat ProposedFormat(EndpointRole role, const WaveFormat& mix);
