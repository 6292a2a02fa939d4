#pragma once
// Result codes of the Windows Media Format runtime that mingw's headers lack
// (asferr.h) or that the stand-in returns by name.

#include <windows.h>

#include <nserror.h>

namespace wmv {

// A caller's buffer cannot hold the text or media type; the size it needs
// has been written back.
constexpr HRESULT kBufferTooSmall = static_cast<HRESULT>(0xC00D07D1);  // ASF_E_BUFFERTOOSMALL
// No header attribute of that name for that stream.
constexpr HRESULT kNotFound = static_cast<HRESULT>(0xC00D07F0);  // ASF_E_NOTFOUND
// The profile text cannot be read as a profile: not well-formed XML, no
// "profile" root, a stream without a known major type, a number that does not
// parse, a missing media type, a stream number outside 1..63 or used twice.
constexpr HRESULT kInvalidProfile = NS_E_INVALIDPROFILE;  // 0xC00D0BC6
// A writer method that needs a profile was called before SetProfile.
constexpr HRESULT kInvalidRequest = NS_E_INVALID_REQUEST;  // 0xC00D002B
// No stream of that number in the profile.
constexpr HRESULT kNoStream = NS_E_NO_STREAM;  // 0xC00D0033

}  // namespace wmv
