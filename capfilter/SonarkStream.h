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
//
// Lost devices: an endpoint that goes away (AUDCLNT_E_DEVICE_INVALIDATED)
// or stops being the default (IMMNotificationClient) is replaced by the
// flow's current default endpoint, opened in the pin's format, at once and
// then every 500 ms while there is none. Meanwhile the speakers' place is
// taken by silence that keeps the time line with the stream clock, and a
// missing microphone leaves the speakers' sound alone in the mix. The log
// gets a line for each; only a failure that no reopening cures ends the
// stream.

#include <windows.h>
// strmif.h before the audio headers: ks.h, which they pull in, then leaves
// out what strmif.h defines.
#include <strmif.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <memory>

#include "capfilter/DeviceRecovery.h"
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
    // A new connection may warn again of a format the speakers refuse.
    HRESULT BreakConnect() override;

    // Called by the filter as it pauses, under the state lock: stops started
    // clients as the worker's next fill would. A failure leaves them marked
    // started, so that fill tries again and reports it.
    void StopClientsForPause();

    // For tests and diagnostics.
    uint64_t DroppedMicrophoneBytes() const { return m_micCarry.DroppedBytes(); }
    const WAVEFORMATEX& OutputFormat() const { return m_wfx; }
    // Default endpoint changes as the notification client records them.
    struct EndpointChanges {
        std::atomic<bool> speakers{false};
        std::atomic<bool> microphone{false};
    };
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
    // An empty, untimed sample: what a stop request gets, to a downstream
    // already stopped.
    HRESULT EmptySample(IMediaSample* sample, DWORD waitMs);
    // How long to wait while nothing can go out yet: up to the start time,
    // or a poll's length.
    static DWORD NothingToSendMs(REFERENCE_TIME streamTime);

    // Device faults, under the state lock.
    void ListenForDefaultChanges(IMMDeviceEnumerator* enumerator);
    void LoseSpeakers(const char* why, HRESULT hr, REFERENCE_TIME streamTime);
    void LoseMicrophone(const char* why, HRESULT hr);
    // Sends the graph the flow's news: its device lost, or back.
    void TellDevice(bool speakers, bool lost);
    // Takes in default changes and reopens the flows whose turn has come; a
    // failure code only for what no reopening cures.
    HRESULT FollowDevices(bool dualAudio, REFERENCE_TIME streamTime);
    // The opening of a flow's default endpoint runs on a thread of its own:
    // an endpoint may take seconds to come up, and the speakers' packets
    // (or the silence for them) must go on meanwhile.
    struct Opening;
    std::shared_ptr<Opening> StartOpening(bool speakers);
    // The result of a finished opening, taken over as the flow's clients.
    HRESULT TakeOpening(bool speakers, DWORD now);
    // Silence for the speakers while they are gone, with the microphone mixed in.
    HRESULT GapSample(IMediaSample* sample, BYTE* buffer, size_t bytes, REFERENCE_TIME streamTime, int timingMode,
                      IAudioCaptureClient* mic);
    HRESULT ProcessPacket(IMediaSample* sample, BYTE* buffer, REFERENCE_TIME streamTime, bool dualAudio, int timingMode,
                          IAudioCaptureClient* speakers, IAudioCaptureClient* mic);
    // Gives back the packets ProcessPacket read (mic null when it read none).
    HRESULT ReleasePackets(IAudioCaptureClient* speakers, IAudioCaptureClient* mic, REFERENCE_TIME streamTime);
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
    // The speakers' refusal of the format was told for this connection (a
    // 5.1 setup refuses it at every attempt of every GetMediaType).
    bool m_formatRefusalTold = false;
    // Whether the graph was told that the flow lost its device (and not yet
    // that it has one again). Streaming thread only.
    bool m_speakersToldLost = false;
    bool m_micToldLost = false;
    int m_nPacketCount = 0;
    sonark::MicCarry m_micCarry;
    sonark::OutputRemainder m_remainder;

    std::shared_ptr<EndpointChanges> m_changes = std::make_shared<EndpointChanges>();
    ComPtr<IMMDeviceEnumerator> m_pNotifyEnumerator;
    ComPtr<IMMNotificationClient> m_pNotifications;
    std::shared_ptr<Opening> m_speakersOpening;
    std::shared_ptr<Opening> m_micOpening;
    sonark::ReopenSchedule m_speakersReopen;
    sonark::ReopenSchedule m_micReopen;
    sonark::GapFill m_gap;
};
