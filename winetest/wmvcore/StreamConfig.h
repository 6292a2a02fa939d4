#pragma once
// CStreamConfig: one stream of a profile (IWMStreamConfig) and its media
// type (IWMMediaProps).
//
// Real: every IWMStreamConfig getter and setter, IWMMediaProps GetType,
// GetMediaType (two calls: size, then the WM_MEDIA_TYPE with its format
// block right after it in the caller's buffer) and SetMediaType.
// Not offered: IWMStreamConfig2/3, IWMVideoMediaProps (E_NOINTERFACE).

#include <windows.h>

#include <wmsdkidl.h>

#include <mutex>
#include <utility>

#include "winetest/wmvcore/ComObject.h"
#include "winetest/wmvcore/StreamData.h"

namespace wmv {

class CStreamConfig : public ComObject<IWMStreamConfig, IWMMediaProps> {
public:
    explicit CStreamConfig(StreamData data) : m_data(std::move(data)) {}

    // IWMStreamConfig
    HRESULT STDMETHODCALLTYPE GetStreamType(GUID* type) override;
    HRESULT STDMETHODCALLTYPE GetStreamNumber(WORD* number) override;
    HRESULT STDMETHODCALLTYPE SetStreamNumber(WORD number) override;
    HRESULT STDMETHODCALLTYPE GetStreamName(WCHAR* name, WORD* length) override;
    HRESULT STDMETHODCALLTYPE SetStreamName(LPCWSTR_WMSDK_TYPE_SAFE name) override;
    HRESULT STDMETHODCALLTYPE GetConnectionName(WCHAR* name, WORD* length) override;
    HRESULT STDMETHODCALLTYPE SetConnectionName(LPCWSTR_WMSDK_TYPE_SAFE name) override;
    HRESULT STDMETHODCALLTYPE GetBitrate(DWORD* bitrate) override;
    HRESULT STDMETHODCALLTYPE SetBitrate(DWORD bitrate) override;
    HRESULT STDMETHODCALLTYPE GetBufferWindow(DWORD* window) override;
    HRESULT STDMETHODCALLTYPE SetBufferWindow(DWORD window) override;

    // IWMMediaProps
    HRESULT STDMETHODCALLTYPE GetType(GUID* type) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(WM_MEDIA_TYPE* type) override;

private:
    std::mutex m_lock;  // the runtime's objects are free-threaded
    StreamData m_data;
};

}  // namespace wmv
