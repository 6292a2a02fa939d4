// wmvcore.dll: the Windows Media Format runtime pieces the recorder calls,
// for the Wine test prefix only.
//
// Wine 8's own wmvcore has no IWMProfileManager::LoadProfileByData, so the
// recorder's profile never loads there. This stand-in takes its place in the
// prefix (system32 copy plus a "native" DLL override) and offers:
// - WMCreateProfileManager: LoadProfileByData reads the profile XML into an
//   IWMProfile whose streams (IWMStreamConfig, IWMMediaProps) carry the
//   WAVEFORMATEX / VIDEOINFOHEADER media types that the ASF writer filter
//   reads (ProfileManager.h, Profile.h, StreamConfig.h list what is real);
// - WMCreateWriter: a writer that accepts a profile and a file name and keeps
//   header attributes, but never writes (Writer.h);
// - WMCreateSyncReader: Wine's own synchronous ASF reader, which lives in
//   winegstreamer, so programs in the prefix keep reading ASF through it;
// - WMCreateReader: E_NOTIMPL. Wine's asynchronous reader is built inside
//   its wmvcore and cannot be reached once this DLL replaces it. Wine's
//   qasf.dll imports this export for its WM ASF Reader filter; Wine binds a
//   missing import to a stub that aborts the process when called, so the
//   export is here to make creating that filter fail cleanly (E_NOTIMPL).
//   Nothing of ours reads ASF inside Wine (recordings are checked with
//   ffprobe on Linux); qasf's other filters are unaffected.

#include <windows.h>

#include <wmsdkidl.h>

#include "winetest/wmvcore/ComObject.h"
#include "winetest/wmvcore/ProfileManager.h"
#include "winetest/wmvcore/Writer.h"

using wmv::CProfileManager;
using wmv::CWriter;

extern "C" {

HRESULT WINAPI WMCreateProfileManager(IWMProfileManager** manager) {
    if (!manager) return E_POINTER;
    *manager = nullptr;
    return wmv::HandOut(wmv::MakeComObject<CProfileManager>(), manager);
}

HRESULT WINAPI WMCreateWriter(IUnknown* /*certificate*/, IWMWriter** writer) {
    if (!writer) return E_POINTER;
    *writer = nullptr;
    return wmv::HandOut(wmv::MakeComObject<CWriter>(), writer);
}

HRESULT WINAPI WMCreateSyncReader(IUnknown* /*certificate*/, DWORD /*rights*/, IWMSyncReader** reader) {
    if (!reader) return E_POINTER;
    *reader = nullptr;
    using CreateSyncReader = HRESULT(WINAPI*)(IUnknown*, void**);
    // Loaded once and kept: the readers it makes run its code for as long as
    // anyone holds them.
    static HMODULE gstreamer = ::LoadLibraryW(L"winegstreamer.dll");
    if (!gstreamer) return E_NOTIMPL;
    auto create = reinterpret_cast<CreateSyncReader>(
        reinterpret_cast<void*>(::GetProcAddress(gstreamer, "winegstreamer_create_wm_sync_reader")));
    if (!create) return E_NOTIMPL;
    return create(nullptr, reinterpret_cast<void**>(reader));
}

HRESULT WINAPI WMCreateReader(IUnknown* /*certificate*/, DWORD /*rights*/, IWMReader** reader) {
    if (reader) *reader = nullptr;
    return E_NOTIMPL;
}

}  // extern "C"
