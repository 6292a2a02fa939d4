#pragma once
// CMixerLinePin: one input pin of the stand-in capture device, named like
// a sound card's mixer line ("Microphone", "Line In", "Stereo Mix", ...).
// Like the lines of a real capture filter it carries MEDIATYPE_AnalogAudio
// and is never connected; it exists for its IAMAudioInputMixer, whose
// settings it keeps. The settings do not change what the capture pin
// streams: the sound always comes from the default capture endpoint.

#include <windows.h>

#include <strmif.h>

#include "framework/dshow/BasePin.h"

class CMixerLinePin : public CBasePin, public IAMAudioInputMixer {
public:
    CMixerLinePin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* name);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int position, CMediaType* pmt) override;

    // IAMAudioInputMixer
    HRESULT STDMETHODCALLTYPE put_Enable(WINBOOL enable) override;
    HRESULT STDMETHODCALLTYPE get_Enable(WINBOOL* enable) override;
    HRESULT STDMETHODCALLTYPE put_Mono(WINBOOL mono) override;
    HRESULT STDMETHODCALLTYPE get_Mono(WINBOOL* mono) override;
    HRESULT STDMETHODCALLTYPE put_MixLevel(double level) override;
    HRESULT STDMETHODCALLTYPE get_MixLevel(double* level) override;
    HRESULT STDMETHODCALLTYPE put_Pan(double pan) override;
    HRESULT STDMETHODCALLTYPE get_Pan(double* pan) override;
    HRESULT STDMETHODCALLTYPE put_Loudness(WINBOOL loudness) override;
    HRESULT STDMETHODCALLTYPE get_Loudness(WINBOOL* loudness) override;
    HRESULT STDMETHODCALLTYPE put_Treble(double treble) override;
    HRESULT STDMETHODCALLTYPE get_Treble(double* treble) override;
    HRESULT STDMETHODCALLTYPE get_TrebleRange(double* range) override;
    HRESULT STDMETHODCALLTYPE put_Bass(double bass) override;
    HRESULT STDMETHODCALLTYPE get_Bass(double* bass) override;
    HRESULT STDMETHODCALLTYPE get_BassRange(double* range) override;

    // The tone controls' range, in decibels either side of flat.
    static constexpr double kToneRange = 12.0;

private:
    // One lock for the settings: the mixer may be set from any thread.
    CCritSec m_settingsLock;
    bool m_enable = false;
    bool m_mono = false;
    bool m_loudness = false;
    double m_mixLevel = 1.0;
    double m_pan = 0.0;
    double m_treble = 0.0;
    double m_bass = 0.0;
};
