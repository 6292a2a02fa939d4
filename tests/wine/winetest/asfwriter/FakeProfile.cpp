#include "tests/wine/winetest/asfwriter/FakeProfile.h"

#include <strmif.h>

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <atomic>
#include <cstring>
#include <new>

namespace {

// WMV1 and WMA (format tag 0x161) subtypes.
const GUID kSubtypeWMV1 = {0x31564D57, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kSubtypeWMA = {0x00000161, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

class FakeStream : public IWMStreamConfig, public IWMMediaProps {
public:
    explicit FakeStream(const FakeStreamSpec& spec) : m_spec(spec) {}
    virtual ~FakeStream() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(IWMStreamConfig))
            *ppv = static_cast<IWMStreamConfig*>(this);
        else if (riid == __uuidof(IWMMediaProps))
            *ppv = static_cast<IWMMediaProps*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetStreamType(GUID* type) override {
        *type = m_spec.type;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStreamNumber(WORD* n) override {
        *n = m_spec.number;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStreamNumber(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStreamName(WCHAR*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStreamName(LPCWSTR_WMSDK_TYPE_SAFE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionName(WCHAR*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetConnectionName(LPCWSTR_WMSDK_TYPE_SAFE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBitrate(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBitrate(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBufferWindow(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBufferWindow(DWORD) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetType(GUID* type) override { return GetStreamType(type); }
    // The media type and its format block in one buffer, as the runtime
    // hands it out.
    HRESULT STDMETHODCALLTYPE GetMediaType(WM_MEDIA_TYPE* mt, DWORD* size) override {
        if (!size) return E_POINTER;
        bool video = m_spec.type == MEDIATYPE_Video;
        DWORD format = video ? sizeof(VIDEOINFOHEADER) : sizeof(WAVEFORMATEX) + 10;
        DWORD need = sizeof(WM_MEDIA_TYPE) + format;
        if (!mt) {
            *size = need;
            return S_OK;
        }
        if (*size < need) return E_INVALIDARG;
        std::memset(mt, 0, need);
        BYTE* block = reinterpret_cast<BYTE*>(mt) + sizeof(WM_MEDIA_TYPE);
        mt->majortype = m_spec.type;
        mt->cbFormat = format;
        mt->pbFormat = block;
        if (video) {
            mt->subtype = kSubtypeWMV1;
            mt->formattype = FORMAT_VideoInfo;
            auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(block);
            vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            vih->bmiHeader.biWidth = m_spec.width;
            vih->bmiHeader.biHeight = m_spec.height;
            vih->bmiHeader.biPlanes = 1;
            vih->bmiHeader.biBitCount = 24;
            vih->bmiHeader.biCompression = 0x31564D57;  // "WMV1"
        } else {
            mt->subtype = kSubtypeWMA;
            mt->formattype = FORMAT_WaveFormatEx;
            auto* wf = reinterpret_cast<WAVEFORMATEX*>(block);
            wf->wFormatTag = 0x161;
            wf->nChannels = 2;
            wf->nSamplesPerSec = 44100;
            wf->nAvgBytesPerSec = 8005;
            wf->nBlockAlign = 1487;
            wf->wBitsPerSample = 16;
            wf->cbSize = 10;
        }
        *size = need;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMediaType(WM_MEDIA_TYPE*) override { return E_NOTIMPL; }

private:
    std::atomic<long> m_refs{0};
    FakeStreamSpec m_spec;
};

class FakeProfile : public IWMProfile {
public:
    virtual ~FakeProfile() = default;

    HRESULT Add(const FakeStreamSpec& spec) {
        auto* s = new (std::nothrow) FakeStream(spec);
        if (!s) return E_OUTOFMEMORY;
        m_streams.push_back(ComPtr<IWMStreamConfig>(s));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid != IID_IUnknown && riid != __uuidof(IWMProfile)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IWMProfile*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    LONG Refs() const { return m_refs.load(); }

    HRESULT STDMETHODCALLTYPE GetVersion(WMT_VERSION*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetName(WCHAR*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetName(const WCHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(WCHAR*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDescription(const WCHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStreamCount(DWORD* n) override {
        if (!n) return E_POINTER;
        *n = static_cast<DWORD>(m_streams.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStream(DWORD i, IWMStreamConfig** config) override {
        if (!config) return E_POINTER;
        if (i >= m_streams.size()) return E_INVALIDARG;
        m_streams[i].CopyTo(config);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStreamByNumber(WORD, IWMStreamConfig**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveStream(IWMStreamConfig*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveStreamByNumber(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddStream(IWMStreamConfig*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReconfigStream(IWMStreamConfig*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateNewStream(REFGUID, IWMStreamConfig**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMutualExclusionCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMutualExclusion(DWORD, IWMMutualExclusion**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMutualExclusion(IWMMutualExclusion*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddMutualExclusion(IWMMutualExclusion*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateNewMutualExclusion(IWMMutualExclusion**) override { return E_NOTIMPL; }

private:
    std::atomic<long> m_refs{0};
    std::vector<ComPtr<IWMStreamConfig>> m_streams;
};

}  // namespace

FakeStreamSpec AudioSpec(WORD number) { return {MEDIATYPE_Audio, number, 0, 0}; }
FakeStreamSpec VideoSpec(WORD number, LONG width, LONG height) { return {MEDIATYPE_Video, number, width, height}; }

ComPtr<IWMProfile> CreateFakeProfile(const std::vector<FakeStreamSpec>& streams) {
    auto* p = new (std::nothrow) FakeProfile;
    if (!p) return nullptr;
    ComPtr<IWMProfile> profile(p);
    for (const FakeStreamSpec& s : streams)
        if (FAILED(p->Add(s))) return nullptr;
    return profile;
}

LONG FakeProfileRefs(IWMProfile* profile) { return static_cast<FakeProfile*>(profile)->Refs() - 1; }
