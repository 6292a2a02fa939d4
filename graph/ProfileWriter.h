#pragma once
// The Windows Media profile of a recording, written as profile XML into
// "QuillProf.prx" in the settings folder, where the ASF writer set-up reads
// it back. The text is formatted into ProfileBuffer, which the file holds
// whole: UTF-16LE without byte-order mark, zero-padded to 20000 bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kProfileBufferUnits = 10000;
constexpr std::size_t kProfileFileBytes = kProfileBufferUnits * 2;
constexpr std::size_t kProfilePathCapacity = 1000;
constexpr std::size_t kVideoSubtypeCapacity = 400;
constexpr std::size_t kVideoFourCCCapacity = 200;

// Each writer zeroes it whole before formatting into it.
extern wchar_t ProfileBuffer[kProfileBufferUnits];

// Which VideoCodecTable entry the writers take; recordings set it to 4.
extern int VideoCodecSelector;

struct VideoCodec {
    const wchar_t* fourCC;   // the bitmap header's bicompression
    const wchar_t* subtype;  // the media type's subtype GUID text
    const wchar_t* name;
    bool audioVideo;  // also offered by the audio+video writer
};
constexpr int kVideoCodecCount = 5;
extern const VideoCodec VideoCodecTable[kVideoCodecCount];

// The selected codec's texts, copied from the table before formatting; a
// selector that names no entry leaves them as they were.
extern wchar_t VideoSubtypeText[kVideoSubtypeCapacity];
extern wchar_t VideoFourCCText[kVideoFourCCCapacity];

// The Windows Media Audio stream (format tag 353, stereo, 44100 Hz, 16 bits)
// for each audio bit rate the recorder offers.
struct AudioRate {
    int kbps;
    int bitrate;
    int blockAlign;  // also the media type's lsamplesize
    int avgBytesPerSec;
    const wchar_t* codecData;  // the format's 10 extra bytes as hex text
};
constexpr int kAudioRateCount = 6;
extern const AudioRate AudioRateTable[kAudioRateCount];

// The row for an audio bit rate; null when the table has none.
const AudioRate* FindAudioRate(int kbps);

// Width and height in pixels, bit rates in kbit/s, frames per second. False
// when a bound is broken or the file cannot be written, after the message
// the case has (the video-only writer's bounds fail silently).
bool WriteVideoProfile(int width, int height, int kbps, int fps);
bool WriteAudioProfile(int kbps);
bool WriteAudioVideoProfile(int width, int height, int videoKbps, int audioKbps, int fps);

// "<settings folder>\QuillProf.prx"; empty when it does not fit the
// 1000-character path.
std::wstring ProfileFilePath();

// The file's bytes for the current ProfileBuffer.
std::vector<std::uint8_t> ProfileFileBytes();
