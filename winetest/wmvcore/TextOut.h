#pragma once
// The runtime's two-call protocol for texts (GetName, GetStreamName, ...):
// a null buffer asks for the length; otherwise *length is the buffer's
// capacity in characters. Either way *length comes back as the characters
// needed, terminator included.

#include <windows.h>

#include <cwchar>
#include <string>

#include "winetest/wmvcore/WmErrors.h"

namespace wmv {

// Texts the setters accept: a WORD length must be able to carry them.
constexpr size_t kMaxTextChars = 0xFFFE;

// A setter's text: null is E_POINTER, one longer than kMaxTextChars
// E_INVALIDARG.
inline HRESULT AssignText(std::wstring& field, const WCHAR* text) {
    if (!text) return E_POINTER;
    const size_t length = std::wcslen(text);
    if (length > kMaxTextChars) return E_INVALIDARG;
    field.assign(text, length);
    return S_OK;
}

template <class Length>
HRESULT CopyTextOut(const std::wstring& text, WCHAR* buffer, Length* length) {
    if (!length) return E_POINTER;
    const size_t needed = text.size() + 1;
    if (needed > static_cast<size_t>(static_cast<Length>(-1)))
        return E_UNEXPECTED;  // setters bound the texts; never reached
    const Length capacity = *length;
    *length = static_cast<Length>(needed);
    if (!buffer) return S_OK;
    if (static_cast<size_t>(capacity) < needed) return kBufferTooSmall;
    std::wmemcpy(buffer, text.c_str(), needed);
    return S_OK;
}

}  // namespace wmv
