#pragma once
// The names under which the graph builders report a failed AddFilter
// ("Cannot add video filter (%s)", "Cannot add audio filter (%s)").
// Portable: the HRESULT is passed as its 32-bit value.

#include <cstdint>

// "VFW_E_DUPLICATE_NAME" (0x8004022D), "E_POINTER" (0x80004003),
// "VFW_E_CERTIFICATION_FAILURE " (0x80040295, the trailing blank belongs to
// the text the user sees), "E_OUTOFMEMORY" (0x8007000E), "E_FAIL"
// (0x80004005); "" for any other code.
const wchar_t* AddFilterFailureName(std::uint32_t hr);
