#pragma once
// What one stream of a profile holds: the IWMStreamConfig values and the
// media type (with its format block) that IWMMediaProps hands out.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wmv {

struct StreamData {
    GUID majorType = GUID_NULL;
    WORD number = 0;
    std::wstring name;
    std::wstring connectionName;
    DWORD bitrate = 0;
    DWORD bufferWindow = 0;
    // The media type.
    GUID subtype = GUID_NULL;
    BOOL fixedSizeSamples = FALSE;
    BOOL temporalCompression = FALSE;
    ULONG sampleSize = 0;
    GUID formatType = GUID_NULL;
    std::vector<uint8_t> format;  // WAVEFORMATEX with its extra bytes, or VIDEOINFOHEADER
};

// Stream numbers the runtime allows.
constexpr WORD kMinStreamNumber = 1;
constexpr WORD kMaxStreamNumber = 63;

}  // namespace wmv
