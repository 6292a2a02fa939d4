#pragma once
// The leading decimal integer of a text, read as the C runtime's _wtoi reads
// it: optional white space and sign, then digits; no digits gives 0 and what
// follows is ignored. Saturates at the int range instead of overflowing.
// Settings values, launcher switches and the scaler's command line all use it.

#include <string_view>

int LeadingInt(std::wstring_view text);
