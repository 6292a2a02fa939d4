#pragma once
// An input pin of the writer, one per profile stream: "Audio Input NN"
// takes PCM, "Video Input NN" uncompressed RGB24 or RGB32 pictures of the
// profile's size. While the filter is paused, Receive holds the sample like
// a renderer does, until the filter runs, stops or the pin flushes; it
// holds no lock meanwhile.

#include <windows.h>

#include <strmif.h>

#include <atomic>
#include <vector>

#include "framework/dshow/BasePin.h"
#include "framework/win/Handles.h"
#include "winetest/asfwriter/AsfFileInfo.h"
#include "winetest/asfwriter/ProfileStreams.h"

class CAsfWriterFilter;

class CAsfWriterInputPin : public CBaseInputPin {
public:
    CAsfWriterInputPin(CAsfWriterFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* name,
                       const ProfileStream& stream, int index);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int position, CMediaType* pmt) override;

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    // The stream this pin's connection records; only while connected.
    AsfStreamInfo StreamInfo() const;
    const ProfileStream& Profile() const { return m_profile; }
    bool IsVideo() const { return m_profile.video; }

    // Filter state changes (under the state lock): running or stopped let a
    // held sample go, paused holds the next one.
    void LetSamplesGo(bool go);
    void ResetEndOfStream() { m_endOfStream = false; }
    bool GotEndOfStream() const { return m_endOfStream.load(); }

private:
    HRESULT WaitUntilRunning();
    // The picture as bottom-up rows; `data` may point into m_rows.
    HRESULT BottomUp(const BYTE* in, long length, const BYTE** data, size_t* size);

    CAsfWriterFilter* m_writer;
    ProfileStream m_profile;
    int m_index;
    win::Handle m_released;  // manual reset: set unless paused and not flushing
    std::atomic<bool> m_endOfStream{false};
    std::vector<BYTE> m_rows;  // used by the streaming thread only
};
