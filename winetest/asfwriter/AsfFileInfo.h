#pragma once
// What the writer declares in an ASF header: the file's identity and packet
// size, its streams with their formats, the descriptive texts and the
// totals that are known only when the recording ends.

#include <cstdint>
#include <string>
#include <vector>

#include "winetest/asfwriter/AsfGuid.h"

enum class AsfStreamKind { Audio, Video };

// A WAVEFORMATEX as the audio input received it.
struct AsfAudioFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// The BITMAPINFOHEADER of the stored pictures: uncompressed, bottom-up rows
// (positive height).
struct AsfVideoFormat {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 24;
    uint32_t compression = 0;  // BI_RGB
    uint32_t imageSize = 0;
};

struct AsfStreamInfo {
    AsfStreamKind kind = AsfStreamKind::Audio;
    uint8_t number = 1;  // 1..127
    AsfAudioFormat audio;
    AsfVideoFormat video;
};

// A text pair of the extended content description.
struct AsfTag {
    std::u16string name;
    std::u16string value;
};

struct AsfFileInfo {
    AsfGuid fileId{};
    uint64_t creationTime = 0;  // 100-ns units since 1601-01-01 (a FILETIME)
    uint32_t prerollMs = 0;
    uint32_t packetSize = 0;
    std::vector<AsfStreamInfo> streams;
    std::u16string title, author, copyright, description, rating;
    std::vector<AsfTag> tags;
};

// Filled in when the recording ends; zero while it runs.
struct AsfTotals {
    uint64_t fileSize = 0;
    uint64_t dataPackets = 0;
    uint64_t playDuration = 0;  // 100-ns units, including the preroll
    uint64_t sendDuration = 0;  // 100-ns units
    uint32_t maxBitrate = 0;    // bit/s
};
