#include "winetest/wmvcore/ValueText.h"

namespace wmv {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseInteger(const std::wstring& text, int64_t min, int64_t max, int64_t& value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && text[pos] == L'-') {
        negative = true;
        ++pos;
    }
    if (pos == text.size()) return false;
    // Magnitudes are gathered as unsigned so that the most negative value
    // of the range still fits; 19 digits bound them below 2^64.
    constexpr uint64_t kLimit = uint64_t{1} << 63;
    uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[pos] - L'0');
        if (magnitude > kLimit) return false;
    }
    int64_t result = 0;
    if (negative) {
        result = magnitude == kLimit ? INT64_MIN : -static_cast<int64_t>(magnitude);
    } else {
        if (magnitude == kLimit) return false;
        result = static_cast<int64_t>(magnitude);
    }
    if (result < min || result > max) return false;
    value = result;
    return true;
}

bool ParseHexBytes(const std::wstring& text, size_t maxBytes, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0 || text.size() / 2 > maxBytes) return false;
    std::vector<uint8_t> out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    bytes.swap(out);
    return true;
}

bool ParseFourCC(const std::wstring& text, uint32_t& value) {
    if (!text.empty() && IsDigit(text[0])) {
        int64_t number = 0;
        if (!ParseInteger(text, 0, UINT32_MAX, number)) return false;
        value = static_cast<uint32_t>(number);
        return true;
    }
    if (text.size() != 4) return false;
    uint32_t code = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) return false;
        code |= static_cast<uint32_t>(text[i]) << (8 * i);
    }
    value = code;
    return true;
}

}  // namespace wmv
