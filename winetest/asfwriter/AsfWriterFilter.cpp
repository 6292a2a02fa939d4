#include "winetest/asfwriter/AsfWriterFilter.h"

#include <evcode.h>
#include <uuids.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "winetest/asfwriter/AsfWriterGuids.h"

namespace {

const wchar_t kFilterName[] = L"WM ASF Writer";

std::u16string ToUtf16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring FourccText(DWORD fourcc) {
    std::wstring t;
    for (int i = 0; i < 4; ++i) t += static_cast<wchar_t>((fourcc >> (8 * i)) & 0xFF);
    return t;
}

std::wstring GuidText(const GUID& g) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

}  // namespace

CUnknown* CALLBACK CAsfWriterFilter::CreateInstance(IUnknown* outer, HRESULT* phr) {
    auto* filter = new (std::nothrow) CAsfWriterFilter(outer, phr);
    if (!filter && phr) *phr = E_OUTOFMEMORY;
    return filter;
}

CAsfWriterFilter::CAsfWriterFilter(IUnknown* outer, HRESULT*)
    : CBaseFilter(kFilterName, outer, &m_stateLock, kClsidWMAsfWriter) {}

CAsfWriterFilter::~CAsfWriterFilter() {
    // A filter released while it runs still leaves a complete file.
    FinishFile();
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IFileSinkFilter) return GetInterface(static_cast<IFileSinkFilter*>(this), ppv);
    if (riid == __uuidof(IConfigAsfWriter)) return GetInterface(static_cast<IConfigAsfWriter*>(this), ppv);
    if (riid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int CAsfWriterFilter::GetPinCount() {
    CAutoLock lock(&m_stateLock);
    return static_cast<int>(m_pins.size());
}

CBasePin* CAsfWriterFilter::GetPin(int n) {
    CAutoLock lock(&m_stateLock);
    if (n < 0 || n >= static_cast<int>(m_pins.size())) return nullptr;
    return m_pins[static_cast<size_t>(n)].get();
}

// ---- state ---------------------------------------------------------------

void CAsfWriterFilter::LetSamplesGo(bool go) {
    for (auto& pin : m_pins) pin->LetSamplesGo(go);
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::Pause() {
    CAutoLock lock(&m_stateLock);
    if (m_State == State_Stopped) {
        HRESULT hr = OpenFile();
        if (FAILED(hr)) return hr;
        m_completeSent = false;
        for (auto& pin : m_pins) pin->ResetEndOfStream();
    }
    // Hold before the state says paused, so no sample slips through.
    LetSamplesGo(false);
    HRESULT hr = CBaseFilter::Pause();
    if (FAILED(hr)) {
        LetSamplesGo(true);
        FinishFile();
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::Run(REFERENCE_TIME start) {
    CAutoLock lock(&m_stateLock);
    HRESULT hr = CBaseFilter::Run(start);
    if (FAILED(hr)) return hr;
    LetSamplesGo(true);
    NotifyCompleteIfDone();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::Stop() {
    CAutoLock lock(&m_stateLock);
    HRESULT hr = CBaseFilter::Stop();
    LetSamplesGo(true);
    HRESULT finish = FinishFile();
    return FAILED(hr) ? hr : finish;
}

AsfFileInfo CAsfWriterFilter::FileInfo() const {
    AsfFileInfo info;
    GUID id{};
    ::CoCreateGuid(&id);
    std::memcpy(&info.fileId, &id, sizeof id);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    info.creationTime = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    info.prerollMs = AsfMuxer::kDefaultPrerollMs;
    info.packetSize = AsfMuxer::kDefaultPacketSize;
    bool audioTagged = false, videoTagged = false;
    for (const auto& pin : m_pins) {
        const ProfileStream& p = pin->Profile();
        if (p.video && !videoTagged) {
            info.tags.push_back({u"ProfileVideoFourCC", ToUtf16(FourccText(p.fourcc))});
            info.tags.push_back({u"ProfileVideoSubtype", ToUtf16(GuidText(p.subtype))});
            videoTagged = true;
        } else if (!p.video && !audioTagged) {
            info.tags.push_back({u"ProfileAudioFormatTag", ToUtf16(std::to_wstring(p.formatTag))});
            audioTagged = true;
        }
    }
    return info;
}

HRESULT CAsfWriterFilter::OpenFile() {
    std::vector<int> streamOfPin(m_pins.size(), -1);
    AsfFileInfo info = FileInfo();
    for (size_t i = 0; i < m_pins.size(); ++i) {
        if (!m_pins[i]->IsConnected()) continue;
        streamOfPin[i] = static_cast<int>(info.streams.size());
        info.streams.push_back(m_pins[i]->StreamInfo());
    }
    // Nothing connected: nothing to record, no file.
    if (info.streams.empty()) return S_OK;
    if (m_fileName.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);

    std::lock_guard<std::mutex> mux(m_muxLock);
    HRESULT hr = m_output.Create(m_fileName.c_str());
    if (FAILED(hr)) return hr;
    auto muxer = std::unique_ptr<AsfMuxer>(new (std::nothrow) AsfMuxer(info, m_output, m_indexMode != FALSE));
    if (!muxer) {
        m_output.Close();
        return E_OUTOFMEMORY;
    }
    if (!muxer->Begin()) {
        m_output.Close();
        return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    }
    m_muxer = std::move(muxer);
    m_muxStream = std::move(streamOfPin);
    m_writeFailed = false;
    return S_OK;
}

HRESULT CAsfWriterFilter::FinishFile() {
    std::lock_guard<std::mutex> mux(m_muxLock);
    if (!m_muxer) return S_OK;
    bool ok = m_muxer->Finish();
    m_muxer.reset();
    m_output.Close();
    return ok && !m_writeFailed ? S_OK : WriteError();
}

HRESULT CAsfWriterFilter::WriteError() const {
    const HRESULT hr = m_output.LastError();
    return FAILED(hr) ? hr : HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
}

HRESULT CAsfWriterFilter::WriteSample(int pinIndex, const AsfSample& sample) {
    bool failedNow = false;
    HRESULT error = S_OK;
    {
        std::lock_guard<std::mutex> mux(m_muxLock);
        if (!m_muxer) return VFW_E_WRONG_STATE;
        if (pinIndex < 0 || pinIndex >= static_cast<int>(m_muxStream.size()) || m_muxStream[pinIndex] < 0)
            return VFW_E_NOT_CONNECTED;
        if (m_writeFailed) return WriteError();
        if (!m_muxer->Write(static_cast<size_t>(m_muxStream[pinIndex]), sample)) {
            m_writeFailed = failedNow = true;
            error = WriteError();
        }
    }
    if (failedNow) NotifyEvent(EC_ERRORABORT, error, 0);
    return failedNow ? error : S_OK;
}

void CAsfWriterFilter::EndOfStreamArrived() {
    CAutoLock lock(&m_stateLock);
    NotifyCompleteIfDone();
}

// As a renderer: EC_COMPLETE once every connected input has ended, while
// running.
void CAsfWriterFilter::NotifyCompleteIfDone() {
    if (m_completeSent || m_State != State_Running) return;
    bool any = false;
    for (const auto& pin : m_pins) {
        if (!pin->IsConnected()) continue;
        if (!pin->GotEndOfStream()) return;
        any = true;
    }
    if (!any) return;
    m_completeSent = true;
    NotifyEvent(EC_COMPLETE, S_OK, 0);
}

// ---- IFileSinkFilter ------------------------------------------------------

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName) return E_POINTER;
    size_t length = std::wcslen(fileName);
    // The writer keeps a MAX_PATH path: a longer name is refused, never cut.
    if (length == 0) return E_INVALIDARG;
    if (length > MAX_PATH - 1) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    CAutoLock lock(&m_stateLock);
    if (m_State != State_Stopped) return VFW_E_WRONG_STATE;
    try {
        m_fileName.assign(fileName, length);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* pmt) {
    if (!fileName) return E_POINTER;
    *fileName = nullptr;
    CAutoLock lock(&m_stateLock);
    if (pmt) {
        *pmt = AM_MEDIA_TYPE{};
        pmt->majortype = MEDIATYPE_Stream;
        pmt->subtype = MEDIASUBTYPE_Asf;
        pmt->formattype = FORMAT_None;
    }
    if (m_fileName.empty()) return E_FAIL;
    size_t bytes = (m_fileName.size() + 1) * sizeof(wchar_t);
    *fileName = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!*fileName) return E_OUTOFMEMORY;
    std::memcpy(*fileName, m_fileName.c_str(), bytes);
    return S_OK;
}

// ---- IConfigAsfWriter -----------------------------------------------------

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::ConfigureFilterUsingProfileId(DWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CAsfWriterFilter::GetCurrentProfileId(DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CAsfWriterFilter::ConfigureFilterUsingProfileGuid(REFGUID) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CAsfWriterFilter::GetCurrentProfileGuid(GUID*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::ConfigureFilterUsingProfile(IWMProfile* profile) {
    if (!profile) return E_POINTER;
    CAutoLock lock(&m_stateLock);
    if (m_State != State_Stopped) return VFW_E_WRONG_STATE;
    for (const auto& pin : m_pins)
        if (pin->IsConnected()) return VFW_E_ALREADY_CONNECTED;
    std::vector<ProfileStream> streams;
    HRESULT hr = ReadProfileStreams(profile, streams);
    if (FAILED(hr)) return hr;
    bool used[128] = {};
    for (size_t i = 0; i < streams.size(); ++i) {
        ProfileStream& s = streams[i];
        if (s.number == 0) s.number = static_cast<WORD>(i + 1);
        if (s.number > 127 || used[s.number]) return E_INVALIDARG;
        used[s.number] = true;
        if (s.video && (s.width <= 0 || s.height <= 0)) return E_INVALIDARG;
    }
    std::vector<std::unique_ptr<CAsfWriterInputPin>> pins;
    int audio = 0, video = 0;
    for (const ProfileStream& s : streams) {
        wchar_t name[32];
        std::swprintf(name, 32, s.video ? L"Video Input %02d" : L"Audio Input %02d", s.video ? ++video : ++audio);
        hr = S_OK;
        std::unique_ptr<CAsfWriterInputPin> pin(
            new (std::nothrow) CAsfWriterInputPin(this, &m_stateLock, &hr, name, s, static_cast<int>(pins.size())));
        if (!pin) return E_OUTOFMEMORY;
        if (FAILED(hr)) return hr;
        try {
            pins.push_back(std::move(pin));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    try {
        m_oldPins.reserve(m_oldPins.size() + m_pins.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (auto& old : m_pins) m_oldPins.push_back(std::move(old));
    m_pins = std::move(pins);
    m_profile = ComPtr<IWMProfile>(profile);
    IncrementPinVersion();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::GetCurrentProfile(IWMProfile** profile) {
    if (!profile) return E_POINTER;
    CAutoLock lock(&m_stateLock);
    m_profile.CopyTo(profile);
    return m_profile ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::SetIndexMode(BOOL indexFile) {
    CAutoLock lock(&m_stateLock);
    m_indexMode = indexFile ? TRUE : FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterFilter::GetIndexMode(BOOL* indexFile) {
    if (!indexFile) return E_POINTER;
    CAutoLock lock(&m_stateLock);
    *indexFile = m_indexMode;
    return S_OK;
}

ULONG STDMETHODCALLTYPE CAsfWriterFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }
