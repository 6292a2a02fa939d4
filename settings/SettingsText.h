#pragma once
// Text rules of the settings file: bounded copies into the fixed buffers,
// UTF-8 with a byte-per-character fallback, and the lenient number reading
// of the value after a key.

#include <cstddef>
#include <string>
#include <string_view>

// How many leading units of text fit in maxUnits without cutting a UTF-16
// surrogate pair in two (where wchar_t is 16 bits wide).
std::size_t FittingLength(std::wstring_view text, std::size_t maxUnits);

// The text held in a fixed buffer: up to its first zero, never past its end.
template <std::size_t N>
std::wstring_view TextOf(const wchar_t (&buffer)[N]) {
    std::size_t n = 0;
    while (n < N && buffer[n] != L'\0') ++n;
    return std::wstring_view(buffer, n);
}

// Copies as much of text as fits, always terminating; returns false when
// text was cut.
bool CopyText(wchar_t* buffer, std::size_t capacity, std::wstring_view text);
template <std::size_t N>
bool CopyText(wchar_t (&buffer)[N], std::wstring_view text) {
    return CopyText(buffer, N, text);
}

// A line of the file as characters: UTF-8 when the bytes are valid UTF-8,
// otherwise one character per byte (its code). With truncated set, the bytes
// are the head of a longer line, so a sequence cut short at their end is
// dropped instead of counting as invalid.
std::wstring DecodeLine(std::string_view bytes, bool truncated = false);

// UTF-8 of wide text; units that are no character (a lone surrogate, a value
// beyond U+10FFFF) become U+FFFD.
std::string EncodeUtf8(std::wstring_view text);

// The leading decimal number of text (digits, an optional fraction and
// exponent) the same way; no number gives 0. Limited to the float range.
float LeadingReal(std::wstring_view text);
