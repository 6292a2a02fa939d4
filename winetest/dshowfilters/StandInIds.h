#pragma once
// Class ids of the DirectShow stand-ins in winefilters.dll. The tee keeps the
// system tee's own class id (the recorder finds it by friendly name, but
// other code may create it by id); "WAV Dest" and the audio capture device
// have ids of their own.

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

// {52675137-1E61-4C71-B26F-455DF92789A2}
inline constexpr GUID CLSID_WavDestStandIn = {
    0x52675137, 0x1e61, 0x4c71, {0xb2, 0x6f, 0x45, 0x5d, 0xf9, 0x27, 0x89, 0xa2}};
// {D694B5C1-6BB5-4D94-B1D8-EFFEC63AFEE8}
inline constexpr GUID CLSID_AudioCaptureStandIn = {
    0xd694b5c1, 0x6bb5, 0x4d94, {0xb1, 0xd8, 0xef, 0xfe, 0xc6, 0x3a, 0xfe, 0xe8}};

// The friendly names under which the recorder looks the filters up.
inline constexpr wchar_t kInfTeeName[] = L"Infinte Pin Tee Filter";
inline constexpr wchar_t kWavDestName[] = L"WAV Dest";
inline constexpr wchar_t kAudioCaptureName[] = L"Telvane Test Audio Capture";
