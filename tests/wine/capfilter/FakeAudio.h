#pragma once
// Scripted WASAPI endpoints for the capture stream's tests: an enumerator
// with a render (speakers) and a capture (microphone) endpoint, each with an
// audio client and a capture service whose packets the test queues. Every
// step can be told to fail; every call the stream makes is recorded.

#include <windows.h>

#include <strmif.h>

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <vfwmsgs.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "tests/wine/capfilter/FakeCom.h"

class FakeCaptureClient : public FakeCom<IAudioCaptureClient> {
public:
    explicit FakeCaptureClient(int blockAlign) : m_blockAlign(blockAlign) {}

    void Queue(std::vector<uint8_t> bytes);
    size_t Queued();
    std::vector<UINT32> Released();

    HRESULT nextPacketSizeResult = S_OK;
    HRESULT getBufferResult = S_OK;
    HRESULT releaseResult = S_OK;

    HRESULT STDMETHODCALLTYPE GetBuffer(BYTE** data, UINT32* frames, DWORD* flags, UINT64* devicePosition,
                                        UINT64* qpcPosition) override;
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(UINT32 frames) override;
    HRESULT STDMETHODCALLTYPE GetNextPacketSize(UINT32* frames) override;

private:
    std::mutex m_lock;
    int m_blockAlign;
    std::deque<std::vector<uint8_t>> m_packets;
    std::vector<UINT32> m_released;
};

class FakeAudioClient : public FakeCom<IAudioClient> {
public:
    FakeAudioClient(WORD channels, DWORD rate, int captureBlockAlign);
    ~FakeAudioClient() override;

    WAVEFORMATEX mix{};
    HRESULT mixFormatResult = S_OK;
    HRESULT formatSupportedResult = S_OK;
    HRESULT initializeResult = S_OK;
    HRESULT bufferSizeResult = S_OK;
    HRESULT serviceResult = S_OK;
    std::deque<HRESULT> startResults;  // then S_OK
    HRESULT stopResult = S_OK;
    UINT32 bufferFrames = 48000;

    // What the stream did.
    int initializeCalls = 0;
    DWORD initFlags = 0;
    REFERENCE_TIME initDuration = 0;
    WAVEFORMATEX initFormat{};
    int startCalls = 0;
    int stopCalls = 0;

    FakeCaptureClient* capture;

    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD flags, REFERENCE_TIME duration,
                                         REFERENCE_TIME periodicity, const WAVEFORMATEX* format,
                                         LPCGUID session) override;
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32* frames) override;
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME* latency) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32* padding) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE mode, const WAVEFORMATEX* format,
                                                WAVEFORMATEX** closest) override;
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX** format) override;
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME* def, REFERENCE_TIME* min) override;
    HRESULT STDMETHODCALLTYPE Start() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE event) override;
    HRESULT STDMETHODCALLTYPE GetService(REFIID riid, void** ppv) override;
};

class FakePropertyStore : public FakeCom<IPropertyStore> {
public:
    HRESULT getValueResult = S_OK;
    HRESULT STDMETHODCALLTYPE GetCount(DWORD* n) override;
    HRESULT STDMETHODCALLTYPE GetAt(DWORD i, PROPERTYKEY* key) override;
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override;
    HRESULT STDMETHODCALLTYPE Commit() override;
};

class FakeDevice : public FakeCom<IMMDevice> {
public:
    FakeDevice(FakeAudioClient* client, FakePropertyStore* store) : client(client), store(store) {}
    ~FakeDevice() override;
    HRESULT activateResult = S_OK;
    HRESULT propertyStoreResult = S_OK;
    int activateCalls = 0;
    FakeAudioClient* client;
    FakePropertyStore* store;

    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD ctx, PROPVARIANT* params, void** ppv) override;
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** store) override;
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override;
};

class FakeEnumerator : public FakeCom<IMMDeviceEnumerator> {
public:
    FakeEnumerator(FakeDevice* render, FakeDevice* capture) : render(render), capture(capture) {}
    ~FakeEnumerator() override;
    HRESULT renderResult = S_OK;
    HRESULT captureResult = S_OK;
    std::vector<std::pair<EDataFlow, ERole>> asked;
    FakeDevice* render;
    FakeDevice* capture;

    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD mask, IMMDeviceCollection** devices) override;
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** device) override;
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** device) override;
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* client) override;
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override;
};

// One scripted audio system, installed as the stream's platform while it
// lives: the enumerator factory hands out its enumerator, message boxes,
// shell starts and process ends are recorded instead of happening.
class FakeAudioSystem {
public:
    // Speakers: channels and rate of their mix format; microphone likewise.
    FakeAudioSystem(WORD speakerChannels = 2, DWORD speakerRate = 48000, WORD micChannels = 2, DWORD micRate = 48000);
    ~FakeAudioSystem();

    FakeEnumerator* enumerator;
    FakeDevice* speakersDevice;
    FakeAudioClient* speakers;
    FakeDevice* micDevice;
    FakeAudioClient* mic;
    HRESULT createResult = S_OK;
    int enumeratorsCreated = 0;

    static std::vector<std::wstring> Messages();
    static std::vector<std::wstring> ShellOpens();
    static std::vector<UINT> ProcessEnds();
};

// A sample of `size` bytes whose setters can be told to fail.
class FakeMediaSample : public FakeCom<IMediaSample> {
public:
    explicit FakeMediaSample(long size) : buffer(static_cast<size_t>(size), 0xCD) {}
    std::vector<uint8_t> buffer;
    long actual = -1;
    bool timeSet = false;
    REFERENCE_TIME start = -1, stop = -1;
    BOOL discontinuity = -1, syncPoint = -1, preroll = -1;
    HRESULT pointerResult = S_OK, setTimeResult = S_OK, prerollResult = S_OK, mediaTypeResult = S_OK,
            discontinuityResult = S_OK, syncPointResult = S_OK;

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** p) override;
    long STDMETHODCALLTYPE GetSize() override { return static_cast<long>(buffer.size()); }
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return syncPoint == TRUE ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL b) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override { return preroll == TRUE ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL b) override;
    long STDMETHODCALLTYPE GetActualDataLength() override { return actual; }
    HRESULT STDMETHODCALLTYPE SetActualDataLength(long n) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** pmt) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return discontinuity == TRUE ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL b) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* s, LONGLONG* e) override;
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* s, LONGLONG* e) override;
};

// A clock that says what the test tells it.
class FakeClock : public FakeCom<IReferenceClock> {
public:
    std::atomic<REFERENCE_TIME> now{0};
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* t) override {
        *t = now;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR) override { return E_NOTIMPL; }
};

// An allocator that answers SetProperties as scripted.
class FakeAllocator : public FakeCom<IMemAllocator> {
public:
    HRESULT setPropertiesResult = S_OK;
    long grantedShortBy = 0;
    ALLOCATOR_PROPERTIES asked{};
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override {
        asked = *request;
        if (FAILED(setPropertiesResult)) return setPropertiesResult;
        *actual = *request;
        actual->cbBuffer -= grantedShortBy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* p) override {
        *p = asked;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Decommit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample**, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample*) override { return S_OK; }
};
