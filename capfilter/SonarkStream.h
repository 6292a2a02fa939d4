#pragma once
// CSonarkStream: the one output pin of the sonark5 filter and the thread
// that feeds it. It reads the default speakers endpoint in WASAPI loopback
// mode (the remote party) and, with dual audio on, the default microphone
// (the local party), both as 16-bit PCM in shared mode at the speakers' mix
// rate, mixes the microphone into each speakers packet and delivers one
// packet per media sample, stamped with times built from the byte count.
//
// Locking: the filter's state lock guards every member below. The worker
// thread only ever tries that lock (a stop holds it while it waits for the
// thread) and never holds it while it waits for a packet; it works on
// counted copies of the capture services, so an opening on the graph's
// thread can replace them at any time.

#include <windows.h>
// strmif.h before the audio headers: ks.h, which they pull in, then leaves
// out what strmif.h defines.
#include <strmif.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include "capfilter/MicCarry.h"
#include "capfilter/OutputRemainder.h"
#include "framework/base/ComPtr.h"
#include "framework/dshow/Source.h"

class CSonarkStream : public CSourceStream {
public:
    CSonarkStream(HRESULT* phr, CSource* filter);
    ~CSonarkStream() override;

    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;
    using CSourceStream::GetMediaType;
    HRESULT GetMediaType(CMediaType* pmt) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadDestroy() override;

    // Called by the filter as it pauses, under the state lock: stops started
    // clients as the worker's next fill would. A failure leaves them marked
    // started, so that fill tries again and reports it.
    void StopClientsForPause();

    // For tests and diagnostics.
    uint64_t DroppedMicrophoneBytes() const { return m_micCarry.DroppedBytes(); }
    const WAVEFORMATEX& OutputFormat() const { return m_wfx; }
    bool MonoMicrophone() const { return m_bMonoMic; }

private:
    HRESULT InitMicrophone();
    HRESULT InitLoopback(bool dualAudio);
    void SampleRateHelp(DWORD rate);

    // Takes the state lock in short tries; false when a command (a stop)
    // is waiting for this thread instead.
    bool LockForStreaming();
    // Starts the endpoint clients once the filter runs and its start time
    // has come (stream time 0), stops them when it no longer runs.
    HRESULT FollowFilterState(bool dualAudio, REFERENCE_TIME streamTime);
    // Stops the clients started for a sent sample; the message of a failed
    // stop, which leaves them marked started, or null.
    const char* StopStartedClients(bool micOn);
    // The empty sample of a pause, sent with the clients stopped: a writer
    // that holds what it receives while paused (as renderers do) keeps this
    // thread until the graph runs again, and a client left started
    // meanwhile would hand out what it captured during the pause.
    HRESULT PausedSample(IMediaSample* sample, bool dualAudio);
    // An empty, untimed sample: what goes out while there is nothing to send.
    HRESULT EmptySample(IMediaSample* sample, DWORD waitMs);
    HRESULT ProcessPacket(IMediaSample* sample, BYTE* buffer, REFERENCE_TIME streamTime, bool dualAudio, int timingMode,
                          IAudioCaptureClient* speakers, IAudioCaptureClient* mic);
    // Steps shared by a packet and a remainder: times, flags.
    HRESULT StampSample(IMediaSample* sample, REFERENCE_TIME streamTime, int timingMode);

    REFERENCE_TIME m_hnsRequestedDuration = 0;
    UINT32 m_bufferFrames = 0;
    UINT32 m_framesAvailable = 0;
    ComPtr<IMMDeviceEnumerator> m_pEnumerator;
    ComPtr<IMMDevice> m_pDevice;
    ComPtr<IAudioClient> m_pAudioClient;
    ComPtr<IAudioCaptureClient> m_pCaptureClient;
    WAVEFORMATEX* m_pwfx = nullptr;
    UINT32 m_packetLength = 0;
    BYTE* m_pData = nullptr;
    DWORD m_flags = 0;
    int m_speakersBlockAlign = 4;
    WAVEFORMATEX m_wfx = {};
    ComPtr<IAudioClient> m_pAudioClient1;
    ComPtr<IAudioCaptureClient> m_pCaptureClient1;
    BYTE* m_pMicData = nullptr;
    UINT32 m_micPacketLength = 0;
    UINT32 m_micFrames = 0;
    int m_micBlockAlign = 4;
    bool m_opened = false;
    bool m_bStarted = false;
    REFERENCE_TIME m_rtSampleTime = 0;
    bool m_bFirstSampleSent = false;
    ComPtr<IReferenceClock> m_pClock;

    bool m_bMonoMic = false;
    int m_nPacketCount = 0;
    sonark::MicCarry m_micCarry;
    sonark::OutputRemainder m_remainder;
};
