#pragma once
// The three profile texts the recorder writes (video only, audio only,
// audio and video), laid out as it lays them out: one attribute a line,
// trailing blanks, tab and blank indents, LF or CR LF line ends, and in the
// video-only text the line of character data after the video streamconfig
// tag.

#include <string>

struct AudioRate {
    int bitrate;
    int blockAlign;
    int avgBytesPerSec;
    const wchar_t* codecData;
};

struct VideoShape {
    int width;
    int height;
    int bitrate;
    int avgTimePerFrame;
    const wchar_t* subtype;
    const wchar_t* fourcc;
};

std::wstring VideoOnlyProfile(const VideoShape& video);
std::wstring AudioOnlyProfile(const AudioRate& audio);
std::wstring AudioVideoProfile(const AudioRate& audio, const VideoShape& video);
