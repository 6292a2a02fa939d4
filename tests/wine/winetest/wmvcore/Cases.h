#pragma once
// The stream values the recorder's profiles use.

#include "tests/wine/winetest/wmvcore/ProfileTexts.h"

inline const AudioRate kAudio64 = {64040, 1487, 8005, L"008800000F0000000000"};
inline const AudioRate kAudio32 = {31960, 742, 3995, L"008800001F0000000000"};
inline const VideoShape kVga15 = {640, 480, 500000, 666666, L"{31564D57-0000-0010-8000-00AA00389B71}", L"WMV1"};
