// asfwriter.dll: the "WM ASF Writer" DirectShow filter for the Wine test
// prefix only (Wine 8 has none). It is configured with a Windows Media
// profile like the real writer and names its pins as the real writer does,
// but it records the profile's codec choice as metadata only and stores the
// streams uncompressed: PCM audio and RGB pictures in a real ASF file that
// ffprobe and ffmpeg read. It is never shipped; on Windows the system's
// writer is used.

#include <windows.h>

#include <iterator>

#include "framework/dshow/ClassFactory.h"
#include "winetest/asfwriter/AsfWriterFilter.h"
#include "winetest/asfwriter/AsfWriterGuids.h"

namespace {

const AMOVIESETUP_FILTER kSetup = {&kClsidWMAsfWriter, L"WM ASF Writer", MERIT_DO_NOT_USE, 0, nullptr, nullptr};

const CFactoryTemplate kTemplates[] = {
    {L"WM ASF Writer", &kClsidWMAsfWriter, CAsfWriterFilter::CreateInstance, nullptr, &kSetup},
};

}  // namespace

TELVANE_FILTER_DLL_ENTRY_POINTS(kTemplates)
