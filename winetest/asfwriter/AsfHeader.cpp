#include "winetest/asfwriter/AsfHeader.h"

#include "winetest/asfwriter/AsfBytes.h"

namespace {

void FileProperties(AsfBytes& b, const AsfFileInfo& info, const AsfTotals& totals) {
    size_t start = b.BeginObject(asf::kFilePropertiesObject);
    b.Guid(info.fileId);
    b.U64(totals.fileSize);
    b.U64(info.creationTime);
    b.U64(totals.dataPackets);
    b.U64(totals.playDuration);
    b.U64(totals.sendDuration);
    b.U64(info.prerollMs);
    b.U32(kAsfFlagSeekable);
    // Fixed-size packets: the readers take the packet length from here.
    b.U32(info.packetSize);
    b.U32(info.packetSize);
    b.U32(totals.maxBitrate);
    b.EndObject(start);
}

void WaveFormat(AsfBytes& b, const AsfAudioFormat& a) {
    b.U16(a.formatTag);
    b.U16(a.channels);
    b.U32(a.samplesPerSec);
    b.U32(a.avgBytesPerSec);
    b.U16(a.blockAlign);
    b.U16(a.bitsPerSample);
    b.U16(0);  // cbSize: PCM has no extra bytes
}

void VideoTypeData(AsfBytes& b, const AsfVideoFormat& v) {
    const uint16_t kBitmapInfoHeaderSize = 40;
    b.U32(static_cast<uint32_t>(v.width));
    b.U32(static_cast<uint32_t>(v.height));
    b.U8(2);  // reserved flags, always 2
    b.U16(kBitmapInfoHeaderSize);
    b.U32(kBitmapInfoHeaderSize);
    b.U32(static_cast<uint32_t>(v.width));
    b.U32(static_cast<uint32_t>(v.height));
    b.U16(1);  // planes
    b.U16(v.bitCount);
    b.U32(v.compression);
    b.U32(v.imageSize);
    b.U32(0);  // pixels per metre, x and y
    b.U32(0);
    b.U32(0);  // colours used, important
    b.U32(0);
}

void StreamProperties(AsfBytes& b, const AsfStreamInfo& s) {
    AsfBytes typeData;
    if (s.kind == AsfStreamKind::Audio)
        WaveFormat(typeData, s.audio);
    else
        VideoTypeData(typeData, s.video);
    size_t start = b.BeginObject(asf::kStreamPropertiesObject);
    b.Guid(s.kind == AsfStreamKind::Audio ? asf::kAudioMedia : asf::kVideoMedia);
    b.Guid(asf::kNoErrorCorrection);
    b.U64(0);  // time offset
    b.U32(static_cast<uint32_t>(typeData.Size()));
    b.U32(0);  // error correction data length
    b.U16(static_cast<uint16_t>(s.number & 0x7F));
    b.U32(0);  // reserved
    b.Bytes(typeData.Data());
    b.EndObject(start);
}

void HeaderExtension(AsfBytes& b) {
    size_t start = b.BeginObject(asf::kHeaderExtensionObject);
    b.Guid(asf::kReserved1);
    b.U16(6);
    b.U32(0);  // no extension objects
    b.EndObject(start);
}

void ContentDescription(AsfBytes& b, const AsfFileInfo& info) {
    const std::u16string* texts[] = {&info.title, &info.author, &info.copyright, &info.description, &info.rating};
    size_t start = b.BeginObject(asf::kContentDescriptionObject);
    for (const std::u16string* t : texts) b.U16(static_cast<uint16_t>(Utf16zBytes(*t)));
    for (const std::u16string* t : texts) b.Utf16z(*t);
    b.EndObject(start);
}

void ExtendedContentDescription(AsfBytes& b, const AsfFileInfo& info) {
    const uint16_t kUnicodeString = 0;
    size_t start = b.BeginObject(asf::kExtendedContentDescriptionObject);
    b.U16(static_cast<uint16_t>(info.tags.size()));
    for (const AsfTag& tag : info.tags) {
        b.U16(static_cast<uint16_t>(Utf16zBytes(tag.name)));
        b.Utf16z(tag.name);
        b.U16(kUnicodeString);
        b.U16(static_cast<uint16_t>(Utf16zBytes(tag.value)));
        b.Utf16z(tag.value);
    }
    b.EndObject(start);
}

}  // namespace

std::vector<uint8_t> BuildAsfHeader(const AsfFileInfo& info, const AsfTotals& totals) {
    AsfBytes b;
    size_t start = b.BeginObject(asf::kHeaderObject);
    b.U32(static_cast<uint32_t>(5 + info.streams.size()));
    b.U8(1);  // reserved, always 1 and 2
    b.U8(2);
    FileProperties(b, info, totals);
    for (const AsfStreamInfo& s : info.streams) StreamProperties(b, s);
    HeaderExtension(b);
    ContentDescription(b, info);
    ExtendedContentDescription(b, info);
    b.EndObject(start);
    return b.Take();
}

std::vector<uint8_t> BuildAsfDataObjectHeader(const AsfFileInfo& info, const AsfTotals& totals) {
    AsfBytes b;
    b.Guid(asf::kDataObject);
    b.U64(kAsfDataObjectHeaderSize + totals.dataPackets * info.packetSize);
    b.Guid(info.fileId);
    b.U64(totals.dataPackets);
    b.U16(0x0101);  // reserved
    return b.Take();
}
