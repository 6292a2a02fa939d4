#include "winetest/dshowfilters/MixerLinePin.h"

#include <uuids.h>

#include <cmath>

#include "framework/dshow/BaseFilter.h"

CMixerLinePin::CMixerLinePin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* name)
    : CBasePin(L"Mixer line", filter, lock, phr, name, PINDIR_INPUT) {}

HRESULT STDMETHODCALLTYPE CMixerLinePin::QueryInterface(REFIID riid, void** ppv) {
    return NonDelegatingQueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE CMixerLinePin::AddRef() { return NonDelegatingAddRef(); }
ULONG STDMETHODCALLTYPE CMixerLinePin::Release() { return NonDelegatingRelease(); }

HRESULT STDMETHODCALLTYPE CMixerLinePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IAMAudioInputMixer) return GetInterface(static_cast<IAMAudioInputMixer*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

// Nothing upstream produces analogue audio: a mixer line stays unconnected.
HRESULT CMixerLinePin::CheckConnect(IPin*) { return VFW_E_NO_ACCEPTABLE_TYPES; }

HRESULT CMixerLinePin::CheckMediaType(const CMediaType* pmt) {
    return pmt->majortype == MEDIATYPE_AnalogAudio ? S_OK : S_FALSE;
}

HRESULT CMixerLinePin::GetMediaType(int position, CMediaType* pmt) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    pmt->InitMediaType();
    pmt->majortype = MEDIATYPE_AnalogAudio;
    return S_OK;
}

namespace {
bool InRange(double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; }
}  // namespace

HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Enable(WINBOOL enable) {
    CAutoLock lock(&m_settingsLock);
    m_enable = enable != FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Enable(WINBOOL* enable) {
    if (!enable) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *enable = m_enable ? TRUE : FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Mono(WINBOOL mono) {
    CAutoLock lock(&m_settingsLock);
    m_mono = mono != FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Mono(WINBOOL* mono) {
    if (!mono) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *mono = m_mono ? TRUE : FALSE;
    return S_OK;
}
// 0 (off) to 1 (full), or AMF_AUTOMATICGAIN.
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_MixLevel(double level) {
    if (level != AMF_AUTOMATICGAIN && !InRange(level, 0.0, 1.0)) return E_INVALIDARG;
    CAutoLock lock(&m_settingsLock);
    m_mixLevel = level;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_MixLevel(double* level) {
    if (!level) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *level = m_mixLevel;
    return S_OK;
}
// -1 (left) to 1 (right).
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Pan(double pan) {
    if (!InRange(pan, -1.0, 1.0)) return E_INVALIDARG;
    CAutoLock lock(&m_settingsLock);
    m_pan = pan;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Pan(double* pan) {
    if (!pan) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *pan = m_pan;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Loudness(WINBOOL loudness) {
    CAutoLock lock(&m_settingsLock);
    m_loudness = loudness != FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Loudness(WINBOOL* loudness) {
    if (!loudness) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *loudness = m_loudness ? TRUE : FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Treble(double treble) {
    if (!InRange(treble, -kToneRange, kToneRange)) return E_INVALIDARG;
    CAutoLock lock(&m_settingsLock);
    m_treble = treble;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Treble(double* treble) {
    if (!treble) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *treble = m_treble;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_TrebleRange(double* range) {
    if (!range) return E_POINTER;
    *range = kToneRange;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::put_Bass(double bass) {
    if (!InRange(bass, -kToneRange, kToneRange)) return E_INVALIDARG;
    CAutoLock lock(&m_settingsLock);
    m_bass = bass;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_Bass(double* bass) {
    if (!bass) return E_POINTER;
    CAutoLock lock(&m_settingsLock);
    *bass = m_bass;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CMixerLinePin::get_BassRange(double* range) {
    if (!range) return E_POINTER;
    *range = kToneRange;
    return S_OK;
}
