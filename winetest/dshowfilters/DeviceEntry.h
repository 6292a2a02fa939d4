#pragma once
// The layout of one stand-in audio capture device in the registry, shared
// by the registration library (which writes it) and the capture filter
// (which reads it back through the device moniker's property bag).
//
// Wine's device enumerator lists HKCR\CLSID\{category}\Instance\<key> for
// every subkey, in the registry's order of subkey names, and binds a
// moniker by creating the class named by the entry's "CLSID" value and
// handing the entry's property bag to IPersistPropertyBag::Load. Beside
// "FriendlyName" and "CLSID" an entry holds its mixer lines as the values
// "MixerLine0", "MixerLine1", ... (REG_SZ, read as BSTR), and their number
// as "MixerLineCount" (REG_DWORD, read as VT_I4).

#include <cstddef>

namespace winetest {

// Instance key names: the prefix and a fixed-width decimal sequence number,
// so that the registry's name order is the order of adding.
inline constexpr wchar_t kDeviceKeyPrefix[] = L"TelvaneTestAudio";
inline constexpr int kDeviceKeyDigits = 8;

inline constexpr wchar_t kMixerLineCountValue[] = L"MixerLineCount";
inline constexpr wchar_t kMixerLineValueFormat[] = L"MixerLine%u";

// Bounds the entry enforces: a pin name has at most this many characters
// (DirectShow's MAX_PIN_NAME less the terminator), and a device at most
// this many mixer lines.
inline constexpr size_t kMaxMixerLineChars = 127;
inline constexpr size_t kMaxMixerLines = 32;

}  // namespace winetest
