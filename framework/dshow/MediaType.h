#pragma once
// CMediaType: an AM_MEDIA_TYPE that owns its format block and its pUnk, and
// the free helpers for raw AM_MEDIA_TYPE structures handed across COM.

#include <windows.h>

#include <mmreg.h>
#include <strmif.h>

#include <vfwmsgs.h>

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    CMediaType(const CMediaType& other);
    explicit CMediaType(const AM_MEDIA_TYPE& other);
    CMediaType& operator=(const CMediaType& other);
    CMediaType& operator=(const AM_MEDIA_TYPE& other);
    ~CMediaType();

    // Same major type, subtype, format type and format bytes.
    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    // Replaces the format block with `length` zeroed bytes; null on failure.
    BYTE* AllocFormatBuffer(ULONG length);
    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // Frees the format block and pUnk and zeroes the whole type.
    void InitMediaType();
    // Whether the type has its major type set at all.
    bool IsValid() const { return majortype != GUID_NULL; }
    // `partial` leaves fields at GUID_NULL where anything goes.
    bool MatchesPartial(const AM_MEDIA_TYPE* partial) const;

private:
    // On failure (no memory for the format) the type is left empty.
    HRESULT CopyFrom(const AM_MEDIA_TYPE& other);
};

// Frees the format block and pUnk of a type, leaving its GUIDs.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// FreeMediaType plus the CoTaskMem structure itself.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy; E_OUTOFMEMORY leaves *dst with no format block.
HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src);
// A CoTaskMem copy of a type, for enumerators; null without memory.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src);

// Fills a type for the wave format: audio, subtype from the format tag,
// FORMAT_WaveFormatEx, fixed-size samples of one block. With setFormat the
// format block is (re)allocated and the wave format copied into it; without
// it the caller has already put the format block in place.
HRESULT CreateAudioMediaType(const WAVEFORMATEX* wfx, AM_MEDIA_TYPE* pmt, BOOL setFormat);
