#pragma once
// The colour test that closes a motion span: hue and saturation of a pixel
// as the hue-saturation-value model has them, both truncated to whole units.

#include <cstdint>

// (max - min) / max in whole percent, truncated; 0 when max is 0.
int SaturationPercent(uint8_t red, uint8_t green, uint8_t blue);
// Whole degrees 0..359, truncated; 0 when max equals min.
int HueDegrees(uint8_t red, uint8_t green, uint8_t blue);
// Hue and saturation both 0: grey, black, white and the near-greys whose
// saturation truncates to 0 with a hue of 0.
bool ClosesSpan(uint8_t red, uint8_t green, uint8_t blue);
