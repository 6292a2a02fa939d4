#pragma once
// What the endpoint checks found, kept for the whole run: the mix rates of
// the default speakers and microphone, the format last opened, and the
// position of the second source among the capture endpoints. Written by the
// checks on the GUI thread; read by the recording graph's sample-rate guard
// and the audio setup dialog.

#include <cstdint>

// Mix rate of the default speakers, set by CheckSpeakersFormat; 0 before.
std::uint32_t SpeakersSampleRate();
// Mix rate of the default microphone, set by CheckMicrophoneFormat; 0 before.
std::uint32_t MicrophoneSampleRate();
// Rate and bytes per second of the format either check last initialised.
std::uint32_t OpenedSampleRate();
std::uint32_t OpenedBytesPerSecond();
// Position, among the active capture endpoints, of the microphone whose
// name matched the second source; -1 before any match.
std::int32_t SecondSourceIndex();

void SetSpeakersSampleRate(std::uint32_t rate);
void SetMicrophoneSampleRate(std::uint32_t rate);
void SetOpenedFormat(std::uint32_t rate, std::uint32_t bytesPerSecond);
void SetSecondSourceIndex(std::int32_t index);
