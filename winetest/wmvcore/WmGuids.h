#pragma once
// Format types of the runtime's media types that mingw's wmsdkidl.h lacks;
// they are DirectShow's FORMAT_WaveFormatEx and FORMAT_VideoInfo.

#include <windows.h>

namespace wmv {

inline const GUID kFormatWaveFormatEx = {0x05589f81, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};
inline const GUID kFormatVideoInfo = {0x05589f80, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};

}  // namespace wmv
