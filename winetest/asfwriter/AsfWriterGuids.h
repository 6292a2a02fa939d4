#pragma once
// The class id of the WM ASF Writer filter, which the stand-in takes over
// in the Wine test prefix.

#include <windows.h>

inline constexpr GUID kClsidWMAsfWriter = {
    0x7C23220E, 0x55BB, 0x11D3, {0x8B, 0x16, 0x00, 0xC0, 0x4F, 0xB6, 0xBD, 0x3D}};
