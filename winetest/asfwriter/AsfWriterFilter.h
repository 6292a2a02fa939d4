#pragma once
// CAsfWriterFilter: the "WM ASF Writer" of the Wine test prefix. It takes
// its input pins from the profile it is configured with and writes what
// they receive into an ASF file: the profile's codec choice is recorded as
// metadata, the streams themselves are stored uncompressed (PCM, RGB).
//
// Locks: the state lock (filter and pins, connection and state changes)
// and the muxing lock (the file and the muxer, taken by every pin's
// streaming thread for each sample). Stop takes the state lock, lets held
// samples go, then finishes the file under the muxing lock; Receive never
// takes the state lock.

#include <windows.h>

#include <strmif.h>
#include <wmsdkidl.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/dshow/BaseFilter.h"
#include "graph/ConfigAsfWriter.h"
#include "winetest/asfwriter/AsfMuxer.h"
#include "winetest/asfwriter/AsfWriterInputPin.h"
#include "winetest/asfwriter/ProfileStreams.h"
#include "winetest/asfwriter/Win32FileOutput.h"

class CAsfWriterFilter : public CBaseFilter,
                         public IFileSinkFilter,
                         public IConfigAsfWriter,
                         public IAMFilterMiscFlags {
public:
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);
    ~CAsfWriterFilter() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMediaFilter
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

    // IFileSinkFilter
    HRESULT STDMETHODCALLTYPE SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* pmt) override;

    // IConfigAsfWriter
    HRESULT STDMETHODCALLTYPE ConfigureFilterUsingProfileId(DWORD profileId) override;
    HRESULT STDMETHODCALLTYPE GetCurrentProfileId(DWORD* profileId) override;
    HRESULT STDMETHODCALLTYPE ConfigureFilterUsingProfileGuid(REFGUID profile) override;
    HRESULT STDMETHODCALLTYPE GetCurrentProfileGuid(GUID* profile) override;
    HRESULT STDMETHODCALLTYPE ConfigureFilterUsingProfile(IWMProfile* profile) override;
    HRESULT STDMETHODCALLTYPE GetCurrentProfile(IWMProfile** profile) override;
    HRESULT STDMETHODCALLTYPE SetIndexMode(BOOL indexFile) override;
    HRESULT STDMETHODCALLTYPE GetIndexMode(BOOL* indexFile) override;

    // IAMFilterMiscFlags
    ULONG STDMETHODCALLTYPE GetMiscFlags() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // From the pins' streaming threads.
    HRESULT WriteSample(int pinIndex, const AsfSample& sample);
    void EndOfStreamArrived();

private:
    CAsfWriterFilter(IUnknown* outer, HRESULT* phr);

    HRESULT OpenFile();
    HRESULT FinishFile();
    // The output's last write error, or ERROR_WRITE_FAULT's when it told none
    // (under the mux lock).
    HRESULT WriteError() const;
    void LetSamplesGo(bool go);
    void NotifyCompleteIfDone();
    AsfFileInfo FileInfo() const;

    CCritSec m_stateLock;
    std::vector<std::unique_ptr<CAsfWriterInputPin>> m_pins;
    // Pins of an earlier profile: a client may still hold their IPin.
    std::vector<std::unique_ptr<CAsfWriterInputPin>> m_oldPins;
    ComPtr<IWMProfile> m_profile;
    std::wstring m_fileName;
    BOOL m_indexMode = TRUE;
    bool m_completeSent = false;

    std::mutex m_muxLock;
    Win32FileOutput m_output;
    std::unique_ptr<AsfMuxer> m_muxer;
    std::vector<int> m_muxStream;  // per pin: stream index in the file, or -1
    bool m_writeFailed = false;
};
