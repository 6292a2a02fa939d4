#include "winetest/wmvcore/ProfileXml.h"

#include <strmif.h>

#include <amvideo.h>
#include <mmreg.h>
#include <objbase.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "winetest/wmvcore/TextOut.h"
#include "winetest/wmvcore/ValueText.h"
#include "winetest/wmvcore/WmErrors.h"
#include "winetest/wmvcore/WmGuids.h"
#include "winetest/wmvcore/XmlDocument.h"

namespace wmv {

namespace {

// How a numeric attribute is stored, which fixes the values it may take.
enum class Kind { kWord, kDword, kLong, kTime, kFlag };

struct Field {
    const wchar_t* name;
    Kind kind;
    size_t offset;  // into the structure being filled
};

void Range(Kind kind, int64_t& min, int64_t& max, size_t& size) {
    switch (kind) {
        case Kind::kWord:
            min = 0, max = UINT16_MAX, size = 2;
            break;
        case Kind::kDword:
            min = 0, max = UINT32_MAX, size = 4;
            break;
        case Kind::kLong:
            min = INT32_MIN, max = INT32_MAX, size = 4;
            break;
        case Kind::kTime:
            min = 0, max = INT64_MAX, size = 8;
            break;
        case Kind::kFlag:
            min = 0, max = 1, size = 4;
            break;
    }
}

// An absent attribute leaves the field as it is.
bool ReadNumber(const XmlElement& element, const wchar_t* name, Kind kind, void* target) {
    const std::wstring* text = element.Attribute(name);
    if (!text) return true;
    int64_t min = 0, max = 0, value = 0;
    size_t size = 0;
    Range(kind, min, max, size);
    if (!ParseInteger(*text, min, max, value)) return false;
    // Little-endian: the low bytes of the 64-bit value are the field's value.
    std::memcpy(target, &value, size);
    return true;
}

template <size_t N>
bool ReadFields(const XmlElement& element, const Field (&fields)[N], void* base) {
    for (const Field& field : fields)
        if (!ReadNumber(element, field.name, field.kind, static_cast<uint8_t*>(base) + field.offset)) return false;
    return true;
}

bool ReadText(const XmlElement& element, const wchar_t* name, std::wstring& value) {
    const std::wstring* text = element.Attribute(name);
    if (!text) return true;
    if (text->size() > kMaxTextChars) return false;
    value = *text;
    return true;
}

bool ReadGuid(const XmlElement& element, const wchar_t* name, GUID& value) {
    const std::wstring* text = element.Attribute(name);
    return text && SUCCEEDED(::IIDFromString(text->c_str(), &value));
}

const Field kWaveFields[] = {
    {L"wFormatTag", Kind::kWord, offsetof(WAVEFORMATEX, wFormatTag)},
    {L"nChannels", Kind::kWord, offsetof(WAVEFORMATEX, nChannels)},
    {L"nSamplesPerSec", Kind::kDword, offsetof(WAVEFORMATEX, nSamplesPerSec)},
    {L"nAvgBytesPerSec", Kind::kDword, offsetof(WAVEFORMATEX, nAvgBytesPerSec)},
    {L"nBlockAlign", Kind::kWord, offsetof(WAVEFORMATEX, nBlockAlign)},
    {L"wBitsPerSample", Kind::kWord, offsetof(WAVEFORMATEX, wBitsPerSample)},
};

const Field kVideoInfoFields[] = {
    {L"dwbitrate", Kind::kDword, offsetof(VIDEOINFOHEADER, dwBitRate)},
    {L"dwbiterrorrate", Kind::kDword, offsetof(VIDEOINFOHEADER, dwBitErrorRate)},
    {L"avgtimeperframe", Kind::kTime, offsetof(VIDEOINFOHEADER, AvgTimePerFrame)},
};

const Field kRectFields[] = {
    {L"left", Kind::kLong, offsetof(RECT, left)},
    {L"top", Kind::kLong, offsetof(RECT, top)},
    {L"right", Kind::kLong, offsetof(RECT, right)},
    {L"bottom", Kind::kLong, offsetof(RECT, bottom)},
};

const Field kBitmapFields[] = {
    {L"biwidth", Kind::kLong, offsetof(BITMAPINFOHEADER, biWidth)},
    {L"biheight", Kind::kLong, offsetof(BITMAPINFOHEADER, biHeight)},
    {L"biplanes", Kind::kWord, offsetof(BITMAPINFOHEADER, biPlanes)},
    {L"bibitcount", Kind::kWord, offsetof(BITMAPINFOHEADER, biBitCount)},
    {L"bisizeimage", Kind::kDword, offsetof(BITMAPINFOHEADER, biSizeImage)},
    {L"bixpelspermeter", Kind::kLong, offsetof(BITMAPINFOHEADER, biXPelsPerMeter)},
    {L"biypelspermeter", Kind::kLong, offsetof(BITMAPINFOHEADER, biYPelsPerMeter)},
    {L"biclrused", Kind::kDword, offsetof(BITMAPINFOHEADER, biClrUsed)},
    {L"biclrimportant", Kind::kDword, offsetof(BITMAPINFOHEADER, biClrImportant)},
};

bool ReadWaveFormat(const XmlElement& mediaType, StreamData& stream) {
    const XmlElement* wave = mediaType.Child(L"waveformatex");
    if (!wave) return false;
    WAVEFORMATEX format{};
    if (!ReadFields(*wave, kWaveFields, &format)) return false;
    std::vector<uint8_t> extra;
    const std::wstring* codecData = wave->Attribute(L"codecdata");
    if (codecData && !ParseHexBytes(*codecData, UINT16_MAX - sizeof(WAVEFORMATEX), extra)) return false;
    format.cbSize = static_cast<WORD>(extra.size());
    stream.formatType = kFormatWaveFormatEx;
    stream.format.resize(sizeof(WAVEFORMATEX) + extra.size());
    std::memcpy(stream.format.data(), &format, sizeof(WAVEFORMATEX));
    if (!extra.empty()) std::memcpy(stream.format.data() + sizeof(WAVEFORMATEX), extra.data(), extra.size());
    return true;
}

bool ReadVideoInfo(const XmlElement& mediaType, StreamData& stream) {
    const XmlElement* info = mediaType.Child(L"videoinfoheader");
    if (!info) return false;
    const XmlElement* bitmap = info->Child(L"bitmapinfoheader");
    if (!bitmap) return false;
    VIDEOINFOHEADER header{};
    if (!ReadFields(*info, kVideoInfoFields, &header)) return false;
    if (const XmlElement* source = info->Child(L"rcsource"))
        if (!ReadFields(*source, kRectFields, &header.rcSource)) return false;
    if (const XmlElement* target = info->Child(L"rctarget"))
        if (!ReadFields(*target, kRectFields, &header.rcTarget)) return false;
    BITMAPINFOHEADER& bmi = header.bmiHeader;
    bmi.biSize = sizeof(BITMAPINFOHEADER);
    if (!ReadFields(*bitmap, kBitmapFields, &bmi)) return false;
    if (const std::wstring* compression = bitmap->Attribute(L"bicompression")) {
        uint32_t fourcc = 0;
        if (!ParseFourCC(*compression, fourcc)) return false;
        bmi.biCompression = fourcc;
    }
    stream.formatType = kFormatVideoInfo;
    stream.format.resize(sizeof(VIDEOINFOHEADER));
    std::memcpy(stream.format.data(), &header, sizeof(VIDEOINFOHEADER));
    return true;
}

bool ReadStream(const XmlElement& config, StreamData& stream) {
    if (!ReadGuid(config, L"majortype", stream.majorType)) return false;
    const bool audio = stream.majorType == WMMEDIATYPE_Audio;
    if (!audio && stream.majorType != WMMEDIATYPE_Video) return false;

    const std::wstring* numberText = config.Attribute(L"streamnumber");
    int64_t number = 0;
    if (!numberText || !ParseInteger(*numberText, kMinStreamNumber, kMaxStreamNumber, number)) return false;
    stream.number = static_cast<WORD>(number);
    if (!ReadText(config, L"streamname", stream.name)) return false;
    if (!ReadText(config, L"inputname", stream.connectionName)) return false;
    if (!ReadNumber(config, L"bitrate", Kind::kDword, &stream.bitrate)) return false;
    // "-1" is how profiles write "the default window"; it is kept as the
    // DWORD the interface returns for it.
    stream.bufferWindow = 0xFFFFFFFF;
    if (const std::wstring* window = config.Attribute(L"bufferwindow")) {
        int64_t value = 0;
        if (!ParseInteger(*window, -1, UINT32_MAX, value)) return false;
        stream.bufferWindow = static_cast<DWORD>(value);
    }

    const XmlElement* mediaType = config.Child(L"wmmediatype");
    if (!mediaType || !ReadGuid(*mediaType, L"subtype", stream.subtype)) return false;
    if (!ReadNumber(*mediaType, L"bfixedsizesamples", Kind::kFlag, &stream.fixedSizeSamples)) return false;
    if (!ReadNumber(*mediaType, L"btemporalcompression", Kind::kFlag, &stream.temporalCompression)) return false;
    if (!ReadNumber(*mediaType, L"lsamplesize", Kind::kDword, &stream.sampleSize)) return false;
    return audio ? ReadWaveFormat(*mediaType, stream) : ReadVideoInfo(*mediaType, stream);
}

}  // namespace

HRESULT ProfileFromXml(const XmlElement& root, ProfileData& profile) {
    if (!SameName(root.name, L"profile")) return kInvalidProfile;
    ProfileData out;
    DWORD version = WMT_VER_9_0;
    DWORD storageFormat = 0;
    if (!ReadNumber(root, L"version", Kind::kDword, &version) ||
        !ReadNumber(root, L"storageformat", Kind::kDword, &storageFormat) || !ReadText(root, L"name", out.name) ||
        !ReadText(root, L"description", out.description))
        return kInvalidProfile;
    out.version = static_cast<WMT_VERSION>(version);

    for (const XmlElement& child : root.children) {
        if (!SameName(child.name, L"streamconfig")) continue;
        StreamData stream;
        if (!ReadStream(child, stream)) return kInvalidProfile;
        for (const StreamData& other : out.streams)
            if (other.number == stream.number) return kInvalidProfile;
        out.streams.push_back(std::move(stream));
    }
    profile = std::move(out);
    return S_OK;
}

HRESULT ReadProfileXml(const wchar_t* text, ProfileData& profile) {
    if (!text) return E_POINTER;
    const size_t length = ::wcsnlen(text, kMaxProfileChars + 1);
    if (length > kMaxProfileChars) return kInvalidProfile;
    XmlElement root;
    HRESULT hr = ParseXml(text, length, root);
    if (FAILED(hr)) return hr;
    return ProfileFromXml(root, profile);
}

}  // namespace wmv
