#pragma once
// The media types the capture pin offers: uncompressed RGB (24 or 32 bits)
// with a VIDEOINFOHEADER, positive height (bottom-up rows, which the ASF
// writer and the video renderer take as they are), fixed-size samples.

#include "companions/pixark/CaptureSettings.h"
#include "framework/dshow/MediaType.h"

// Fills pmt for frames of the settings' rectangle and frame rate at
// `bitCount`; E_INVALIDARG for settings that make no frame.
HRESULT MakeVideoMediaType(const pixark::CaptureSettings& s, int32_t bitCount, CMediaType* pmt);

// The bit count of a type this pin could deliver for `s` (its size and any
// of the two depths), or 0 when the type does not fit.
int32_t AcceptedBitCount(const pixark::CaptureSettings& s, const AM_MEDIA_TYPE& mt);
