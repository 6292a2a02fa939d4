#pragma once
// Windows Media profile XML -> ProfileData: what LoadProfileByData reads.
//
// Root "profile" (version, storageformat, name, description); each
// "streamconfig" child is one stream (majortype MEDIATYPE_Audio or
// MEDIATYPE_Video, streamnumber 1..63, streamname, inputname = connection
// name, bitrate, bufferwindow) with a "wmmediatype" child (subtype,
// bfixedsizesamples, btemporalcompression, lsamplesize) holding, for audio,
// "waveformatex" (the WAVEFORMATEX fields, codecdata as hex = the extra
// bytes, cbSize their count) and, for video, "videoinfoheader" (dwbitrate,
// dwbiterrorrate, avgtimeperframe, children rcsource, rctarget and
// "bitmapinfoheader" with bicompression as a FourCC text) -> VIDEOINFOHEADER.
// Required: the root, majortype, streamnumber, wmmediatype with subtype and
// the format element of the stream's kind; an absent number is 0 (an absent
// bufferwindow is 0xFFFFFFFF, as "-1" is); attributes and elements of no use
// here (reliabletransport, rfc1766langid, videomediaprops, ...) are skipped.
// A text that is not such a profile gives kInvalidProfile
// (NS_E_INVALIDPROFILE, 0xC00D0BC6); MSXML that cannot be created gives
// CoCreateInstance's error.

#include <windows.h>

#include "winetest/wmvcore/ProfileData.h"
#include "winetest/wmvcore/XmlElement.h"

namespace wmv {

// Profile texts longer than this are refused unread.
constexpr size_t kMaxProfileChars = 1 << 20;

HRESULT ProfileFromXml(const XmlElement& root, ProfileData& profile);

// text is terminated within kMaxProfileChars characters.
HRESULT ReadProfileXml(const wchar_t* text, ProfileData& profile);

}  // namespace wmv
