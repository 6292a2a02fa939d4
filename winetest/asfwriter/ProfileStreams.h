#pragma once
// The streams of a Windows Media profile as the writer needs them: kind,
// stream number, the picture size and codec of a video stream, the format
// tag of an audio stream. Read only through IWMProfile, IWMStreamConfig and
// IWMMediaProps.

#include <windows.h>

#include <wmsdkidl.h>

#include <string>
#include <vector>

struct ProfileStream {
    bool video = false;
    WORD number = 0;
    LONG width = 0;    // video: biWidth
    LONG height = 0;   // video: biHeight
    DWORD fourcc = 0;  // video: biCompression
    GUID subtype{};
    WORD formatTag = 0;  // audio: wFormatTag
};

// E_INVALIDARG for a stream that is neither audio nor video, or whose
// format block is too short for its type.
HRESULT ReadProfileStreams(IWMProfile* profile, std::vector<ProfileStream>& streams);
