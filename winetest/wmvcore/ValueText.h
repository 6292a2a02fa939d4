#pragma once
// Strict readers for the attribute values of Windows Media profile XML.
//
// The profile's numbers are plain decimal texts ("589824", "-1"); anything
// else (blanks, signs where none fit, trailing text, overflow) is refused so
// that a broken profile fails to load instead of loading with a wrong value.
// Portable: no Win32 types.

#include <cstdint>
#include <string>
#include <vector>

namespace wmv {

// A decimal integer within [min, max]: optional '-', then digits only.
bool ParseInteger(const std::wstring& text, int64_t min, int64_t max, int64_t& value);

// Hex text, two digits per byte ("008800000F0000000000"); empty text gives
// no bytes. At most maxBytes bytes.
bool ParseHexBytes(const std::wstring& text, size_t maxBytes, std::vector<uint8_t>& bytes);

// A BITMAPINFOHEADER compression: four printable ASCII characters ("WMV1")
// packed as a FourCC (first character in the low byte), or a decimal number
// such as "0" for uncompressed RGB.
bool ParseFourCC(const std::wstring& text, uint32_t& value);

}  // namespace wmv
