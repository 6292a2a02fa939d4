// winefilters.dll: DirectShow filters that Wine 8 lacks, for the Wine test
// prefix only -- the "Infinte Pin Tee Filter", "WAV Dest" and an audio
// capture device with mixer lines. Registration enters the tee and "WAV
// Dest" with the filter mapper (legacy filter category) and the capture
// class as a COM server only: its devices are entries that tests add with
// the winetest_devices library.

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include <iterator>

#include "framework/dshow/ClassFactory.h"
#include "winetest/dshowfilters/AudioCapture.h"
#include "winetest/dshowfilters/InfTee.h"
#include "winetest/dshowfilters/StandInIds.h"
#include "winetest/dshowfilters/WavDest.h"

namespace {

const REGPINTYPES kAnyType = {&MEDIATYPE_NULL, &MEDIASUBTYPE_NULL};
const REGPINTYPES kPcmType = {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM};

REGFILTERPINS kTeePins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kAnyType},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, TRUE, &CLSID_NULL, nullptr, 1, &kAnyType},
};
REGFILTERPINS kWavDestPins[] = {
    {const_cast<LPWSTR>(L"In"), TRUE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kPcmType},
};

const AMOVIESETUP_FILTER kTeeSetup = {
    &CLSID_InfTee, kInfTeeName, MERIT_DO_NOT_USE, 2, kTeePins, &CLSID_LegacyAmFilterCategory};
const AMOVIESETUP_FILTER kWavDestSetup = {&CLSID_WavDestStandIn,        kWavDestName, MERIT_DO_NOT_USE, 1, kWavDestPins,
                                          &CLSID_LegacyAmFilterCategory};

const CFactoryTemplate kTemplates[] = {
    {kInfTeeName, &CLSID_InfTee, CInfTee::CreateInstance, nullptr, &kTeeSetup},
    {kWavDestName, &CLSID_WavDestStandIn, CWavDest::CreateInstance, nullptr, &kWavDestSetup},
    {kAudioCaptureName, &CLSID_AudioCaptureStandIn, CAudioCaptureFilter::CreateInstance, nullptr, nullptr},
};

}  // namespace

TELVANE_FILTER_DLL_ENTRY_POINTS(kTemplates)
