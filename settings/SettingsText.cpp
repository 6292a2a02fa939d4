#include "settings/SettingsText.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr bool kUtf16 = sizeof(wchar_t) == 2;

bool IsHighSurrogate(wchar_t c) { return kUtf16 && c >= 0xD800 && c <= 0xDBFF; }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == L'\n'; }

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if (kUtf16 && cp > 0xFFFF) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

enum class Utf8Result { Valid, Invalid, CutShort };

// Decodes one sequence at bytes[i]; on Valid advances i and sets cp.
Utf8Result NextCodePoint(std::string_view bytes, std::size_t& i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t length;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return Utf8Result::Valid;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return Utf8Result::Invalid;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= bytes.size()) return Utf8Result::CutShort;
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) return Utf8Result::Invalid;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return Utf8Result::Invalid;
    i += length;
    return Utf8Result::Valid;
}

}  // namespace

std::size_t FittingLength(std::wstring_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits) return text.size();
    std::size_t n = maxUnits;
    // Ending on the first half of a pair would leave half a character.
    if (n > 0 && IsHighSurrogate(text[n - 1])) --n;
    return n;
}

bool CopyText(wchar_t* buffer, std::size_t capacity, std::wstring_view text) {
    if (capacity == 0) return text.empty();
    const std::size_t n = FittingLength(text, capacity - 1);
    if (n > 0) std::wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
    return n == text.size();
}

std::wstring DecodeLine(std::string_view bytes, bool truncated) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        const Utf8Result r = NextCodePoint(bytes, i, cp);
        if (r == Utf8Result::Valid) {
            AppendCodePoint(out, cp);
        } else if (r == Utf8Result::CutShort && truncated) {
            return out;
        } else {
            // Not UTF-8: an old file written one byte per character.
            out.clear();
            for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
            return out;
        }
    }
    return out;
}

std::string EncodeUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto cp = static_cast<std::uint32_t>(text[i]);
        if (kUtf16 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

float LeadingReal(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    // Only the plain decimal form is accepted ("inf", "nan" and hexadecimal
    // forms are no frame rate), and it is handed to strtod as ASCII.
    std::string number;
    const auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= L'0' && text[k] <= L'9'; };
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) number.push_back(static_cast<char>(text[i++]));
    std::size_t digits = 0;
    // Very long digit runs change nothing a float can hold; keep the text bounded.
    constexpr std::size_t kMaxChars = 400;
    bool significant = false;  // leading zeros are dropped so they cannot use up the bound
    for (; isDigit(i); ++i, ++digits) {
        significant = significant || text[i] != L'0';
        if (significant && number.size() < kMaxChars) number.push_back(static_cast<char>(text[i]));
    }
    if (i < text.size() && text[i] == L'.') {
        number.push_back('.');
        for (++i; isDigit(i); ++i, ++digits)
            if (number.size() < kMaxChars) number.push_back(static_cast<char>(text[i]));
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        std::size_t k = i + 1;
        std::string exponent = "e";
        if (k < text.size() && (text[k] == L'+' || text[k] == L'-')) exponent.push_back(static_cast<char>(text[k++]));
        if (isDigit(k)) {
            int value = 0;
            for (; isDigit(k); ++k) value = value < 100000 ? value * 10 + (text[k] - L'0') : value;
            number += exponent + std::to_string(value);
        }
    }
    // The program never changes the C locale, so '.' is the decimal point.
    const double value = std::strtod(number.c_str(), nullptr);
    if (!(value == value)) return 0;
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}
