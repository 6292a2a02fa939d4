#pragma once
// CProfile: a loaded or empty profile (IWMProfile).
//
// Real: GetVersion, Get/SetName, Get/SetDescription, GetStreamCount,
// GetStream and GetStreamByNumber (each hands out a copy of the stream, as
// the runtime does: changes count once given back through ReconfigStream),
// RemoveStream, RemoveStreamByNumber, AddStream, ReconfigStream,
// CreateNewStream (audio or video), GetMutualExclusionCount (always 0).
// E_NOTIMPL: GetMutualExclusion, RemoveMutualExclusion, AddMutualExclusion,
// CreateNewMutualExclusion (the recorder's profiles have none).

#include <windows.h>

#include <wmsdkidl.h>

#include <mutex>
#include <utility>

#include "winetest/wmvcore/ComObject.h"
#include "winetest/wmvcore/ProfileData.h"

namespace wmv {

class CProfile : public ComObject<IWMProfile> {
public:
    explicit CProfile(ProfileData data) : m_data(std::move(data)) {}

    HRESULT STDMETHODCALLTYPE GetVersion(WMT_VERSION* version) override;
    HRESULT STDMETHODCALLTYPE GetName(WCHAR* name, DWORD* length) override;
    HRESULT STDMETHODCALLTYPE SetName(const WCHAR* name) override;
    HRESULT STDMETHODCALLTYPE GetDescription(WCHAR* description, DWORD* length) override;
    HRESULT STDMETHODCALLTYPE SetDescription(const WCHAR* description) override;
    HRESULT STDMETHODCALLTYPE GetStreamCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetStream(DWORD index, IWMStreamConfig** config) override;
    HRESULT STDMETHODCALLTYPE GetStreamByNumber(WORD number, IWMStreamConfig** config) override;
    HRESULT STDMETHODCALLTYPE RemoveStream(IWMStreamConfig* config) override;
    HRESULT STDMETHODCALLTYPE RemoveStreamByNumber(WORD number) override;
    HRESULT STDMETHODCALLTYPE AddStream(IWMStreamConfig* config) override;
    HRESULT STDMETHODCALLTYPE ReconfigStream(IWMStreamConfig* config) override;
    HRESULT STDMETHODCALLTYPE CreateNewStream(REFGUID type, IWMStreamConfig** config) override;
    HRESULT STDMETHODCALLTYPE GetMutualExclusionCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetMutualExclusion(DWORD index, IWMMutualExclusion** exclusion) override;
    HRESULT STDMETHODCALLTYPE RemoveMutualExclusion(IWMMutualExclusion* exclusion) override;
    HRESULT STDMETHODCALLTYPE AddMutualExclusion(IWMMutualExclusion* exclusion) override;
    HRESULT STDMETHODCALLTYPE CreateNewMutualExclusion(IWMMutualExclusion** exclusion) override;

private:
    // Under m_lock.
    StreamData* FindStream(WORD number);
    HRESULT HandOutStream(const StreamData& data, IWMStreamConfig** config) const;

    // The runtime's objects are free-threaded: one lock for the data; calls
    // into other objects (ReadStreamData) are made without it.
    std::mutex m_lock;
    ProfileData m_data;
};

}  // namespace wmv
