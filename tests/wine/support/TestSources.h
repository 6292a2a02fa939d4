#pragma once
// Live test sources for recording graphs, built on our own base classes and
// created in-process (not registered). Both pace themselves to real time on
// the graph's clock, stamp samples with stream time, and deliver nothing
// while paused, so a pause leaves no time in a recording.
//
// CreateToneSource: one pin "Out", 44100 Hz, 2 channels, 16-bit PCM sine of
// `hz` at half full scale, 100 ms a sample.
// CreateCounterSource: one pin "Output", RGB24 or RGB32 (bitCount 24 or 32)
// pictures of width x height (at least 256 x 32) at `fps`; frame n carries n
// (16 bits) as black/white 16 x 16 blocks along the top rows, most
// significant bit at the left, and a moving bar below them. Null for
// parameters it cannot draw.

#include <windows.h>

#include <strmif.h>

#include "framework/base/ComPtr.h"

ComPtr<IBaseFilter> CreateToneSource(int hz = 440);
ComPtr<IBaseFilter> CreateCounterSource(int width, int height, int fps, int bitCount = 24);
