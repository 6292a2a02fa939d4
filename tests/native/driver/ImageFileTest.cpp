// The screenshot encoders write exactly the bytes of the file formats, and a
// PNG decodes back to the pixels it was made from.

#include "tests/wine/driver/ImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace driver {
namespace {

using Bytes = std::vector<uint8_t>;

// 3 x 2, top row (1,2,3) (4,5,6) (7,8,9), bottom row (10,11,12) (13,14,15) (16,17,18).
RgbImage SmallImage() {
    RgbImage image;
    image.width = 3;
    image.height = 2;
    for (uint8_t v = 1; v <= 18; ++v) image.rgb.push_back(v);
    return image;
}

// Every pixel different from its neighbours, so a shifted row or a swapped
// channel shows.
RgbImage PatternImage(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rgb.push_back(static_cast<uint8_t>(x * 7 + y));
            image.rgb.push_back(static_cast<uint8_t>(y * 13 + x / 3));
            image.rgb.push_back(static_cast<uint8_t>((x ^ y) + 101));
        }
    }
    return image;
}

uint32_t Be32(const Bytes& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}
uint32_t Le16(const Bytes& b, size_t at) { return b[at] | (uint32_t{b[at + 1]} << 8); }
uint32_t Le32(const Bytes& b, size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }

Bytes FromString(const char* text) { return Bytes(text, text + std::strlen(text)); }

// A second CRC-32, bit by bit, so the chunk checks do not trust the code
// under test.
uint32_t BitwiseCrc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct Chunk {
    std::string type;
    Bytes data;
};

// Splits a PNG into chunks, checking the signature, every length and CRC.
std::vector<Chunk> ReadChunks(const Bytes& png) {
    static const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<Chunk> chunks;
    EXPECT_GE(png.size(), 8u);
    if (png.size() < 8 || !std::equal(kSignature, kSignature + 8, png.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return chunks;
    }
    size_t pos = 8;
    while (pos < png.size()) {
        if (png.size() - pos < 12) {
            ADD_FAILURE() << "truncated chunk at " << pos;
            return chunks;
        }
        const uint32_t length = Be32(png, pos);
        if (png.size() - pos - 12 < length) {
            ADD_FAILURE() << "chunk at " << pos << " overruns the file";
            return chunks;
        }
        Chunk chunk;
        chunk.type.assign(png.begin() + pos + 4, png.begin() + pos + 8);
        chunk.data.assign(png.begin() + pos + 8, png.begin() + pos + 8 + length);
        EXPECT_EQ(Be32(png, pos + 8 + length), BitwiseCrc32(png.data() + pos + 4, length + 4))
            << "CRC of " << chunk.type;
        chunks.push_back(std::move(chunk));
        pos += 12 + length;
    }
    return chunks;
}

// Inflates a zlib stream made only of stored blocks; anything else fails
// the test. Records each block's length.
Bytes InflateStored(const Bytes& z, std::vector<size_t>* blockSizes) {
    Bytes out;
    if (z.size() < 6) {
        ADD_FAILURE() << "zlib stream too short";
        return out;
    }
    EXPECT_EQ(z[0] & 0x0F, 8) << "compression method deflate";
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0) << "header check";
    EXPECT_EQ(z[1] & 0x20, 0) << "no preset dictionary";
    size_t pos = 2;
    bool final = false;
    while (!final) {
        if (z.size() - pos < 5 + 4) {
            ADD_FAILURE() << "stream ends inside a block header at " << pos;
            return out;
        }
        final = z[pos] & 1;
        EXPECT_EQ((z[pos] >> 1) & 3, 0) << "stored block";
        EXPECT_EQ(z[pos] >> 3, 0) << "padding bits";
        const uint32_t len = Le16(z, pos + 1);
        EXPECT_EQ(Le16(z, pos + 3), ~len & 0xFFFF) << "NLEN";
        pos += 5;
        if (z.size() - pos < len + 4) {
            ADD_FAILURE() << "block overruns the stream";
            return out;
        }
        out.insert(out.end(), z.begin() + pos, z.begin() + pos + len);
        blockSizes->push_back(len);
        pos += len;
    }
    EXPECT_EQ(pos + 4, z.size()) << "only the Adler-32 follows the last block";
    if (pos + 4 <= z.size()) {
        EXPECT_EQ(Be32(z, pos), Adler32(out.data(), out.size()));
    }
    return out;
}

// Decodes what EncodePng writes; blockSizes receives the stored block sizes.
RgbImage DecodePng(const Bytes& png, std::vector<size_t>* blockSizes) {
    RgbImage image;
    const std::vector<Chunk> chunks = ReadChunks(png);
    if (chunks.size() != 3) {
        ADD_FAILURE() << "expected IHDR, IDAT, IEND; got " << chunks.size() << " chunks";
        return image;
    }
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_EQ(chunks[0].data.size(), 13u);
    if (chunks[0].data.size() != 13) return image;
    const int width = static_cast<int>(Be32(chunks[0].data, 0));
    const int height = static_cast<int>(Be32(chunks[0].data, 4));
    EXPECT_EQ(Bytes(chunks[0].data.begin() + 8, chunks[0].data.end()), (Bytes{8, 2, 0, 0, 0}));

    const Bytes raw = InflateStored(chunks[1].data, blockSizes);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    EXPECT_EQ(raw.size(), (rowBytes + 1) * height);
    if (raw.size() != (rowBytes + 1) * height) return image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
        const size_t at = y * (rowBytes + 1);
        EXPECT_EQ(raw[at], 0) << "filter of row " << y;
        image.rgb.insert(image.rgb.end(), raw.begin() + at + 1, raw.begin() + at + 1 + rowBytes);
    }
    return image;
}

TEST(ImageFileChecksums, Crc32MatchesTheStandardCheckValue) {
    const Bytes text = FromString("123456789");
    EXPECT_EQ(Crc32(text.data(), text.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(ImageFileChecksums, Crc32ContinuesOverPieces) {
    const Bytes text = FromString("123456789");
    EXPECT_EQ(Crc32(text.data() + 4, 5, Crc32(text.data(), 4)), 0xCBF43926u);
}

TEST(ImageFileChecksums, Adler32MatchesKnownValues) {
    const Bytes text = FromString("Wikipedia");
    EXPECT_EQ(Adler32(text.data(), text.size()), 0x11E60398u);
    EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

TEST(ImageFileChecksums, Adler32StaysExactOverLongRunsOfHighBytes) {
    // All 0xFF is the worst case for the deferred modulo.
    const Bytes data(200000, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t v : data) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(data.data(), data.size()), (b << 16) | a);
    EXPECT_EQ(Adler32(data.data() + 70000, data.size() - 70000, Adler32(data.data(), 70000)), (b << 16) | a);
}

TEST(ImageFileShape, MalformedImagesAreRefused) {
    RgbImage empty;
    EXPECT_FALSE(IsWellFormed(empty));
    EXPECT_TRUE(EncodeBmp(empty).empty());
    EXPECT_TRUE(EncodePng(empty).empty());

    RgbImage shortPixels = SmallImage();
    shortPixels.rgb.pop_back();
    EXPECT_FALSE(IsWellFormed(shortPixels));
    EXPECT_TRUE(EncodeBmp(shortPixels).empty());
    EXPECT_TRUE(EncodePng(shortPixels).empty());

    RgbImage negative = SmallImage();
    negative.width = -3;
    negative.height = -2;
    EXPECT_FALSE(IsWellFormed(negative));
    EXPECT_TRUE(EncodeBmp(negative).empty());

    RgbImage huge;
    huge.width = 1 << 20;
    huge.height = 1 << 20;
    EXPECT_FALSE(IsWellFormed(huge));
    EXPECT_TRUE(IsWellFormed(SmallImage()));
}

TEST(ImageFileBmp, SmallImageIsBottomUpBgrWithRowsPaddedToFourBytes) {
    // clang-format off
    const Bytes expected = {
        // BITMAPFILEHEADER: "BM", file size 78, reserved, pixels at 54
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
        // BITMAPINFOHEADER: size 40, 3 x 2 (bottom-up), 1 plane, 24 bits,
        // BI_RGB, 24 bytes of pixels, no resolution, all colours
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        // bottom row first, B G R, 9 bytes + 3 of padding
        12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,
        // then the top row
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    // clang-format on
    EXPECT_EQ(EncodeBmp(SmallImage()), expected);
}

TEST(ImageFileBmp, RowsAlreadyOnFourBytesGetNoPadding) {
    const RgbImage image = PatternImage(4, 3);
    const Bytes bmp = EncodeBmp(image);
    ASSERT_EQ(bmp.size(), 54u + 4 * 3 * 3);
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 34), 36u);
    // Pixel (x 1, y 0), the top row, is in the last row of the file.
    const size_t at = 54 + 2 * 12 + 1 * 3;
    EXPECT_EQ(bmp[at + 0], image.rgb[3 + 2]);
    EXPECT_EQ(bmp[at + 1], image.rgb[3 + 1]);
    EXPECT_EQ(bmp[at + 2], image.rgb[3 + 0]);
}

TEST(ImageFileBmp, EveryRowIsPaddedForAnyWidth) {
    for (int width = 1; width <= 8; ++width) {
        const Bytes bmp = EncodeBmp(PatternImage(width, 5));
        const size_t stride = (width * 3 + 3) / 4 * 4;
        ASSERT_EQ(bmp.size(), 54 + stride * 5) << "width " << width;
        EXPECT_EQ(Le32(bmp, 18), static_cast<uint32_t>(width));
        EXPECT_EQ(Le32(bmp, 22), 5u);
        for (int row = 0; row < 5; ++row) {
            for (size_t pad = width * 3; pad < stride; ++pad)
                EXPECT_EQ(bmp[54 + row * stride + pad], 0) << "width " << width << " row " << row;
        }
    }
}

TEST(ImageFilePng, SmallImageIsExactlyTheseBytes) {
    // clang-format off
    const Bytes expected = {
        // signature
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A,
        // IHDR: 3 x 2, 8 bits, RGB, deflate, no filter, not interlaced, CRC
        0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02,
        0x08, 0x02, 0x00, 0x00, 0x00, 0x12, 0x16, 0xF1, 0x4D,
        // IDAT of 31 bytes: zlib header, one final stored block of 20 bytes
        0x00, 0x00, 0x00, 0x1F, 0x49, 0x44, 0x41, 0x54, 0x78, 0x01, 0x01, 0x14, 0x00, 0xEB, 0xFF,
        // each row behind filter type 0
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
        0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12,
        // Adler-32, chunk CRC
        0x04, 0xB5, 0x00, 0xAC, 0x75, 0xF6, 0x5A, 0x3E,
        // IEND
        0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    // clang-format on
    EXPECT_EQ(EncodePng(SmallImage()), expected);
}

TEST(ImageFilePng, EndsWithTheIendChunk) {
    const Bytes png = EncodePng(PatternImage(17, 9));
    const Bytes iend = {0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    ASSERT_GT(png.size(), iend.size());
    EXPECT_EQ(Bytes(png.end() - 12, png.end()), iend);
}

TEST(ImageFilePng, SmallImageDecodesToItsPixels) {
    std::vector<size_t> blocks;
    const RgbImage decoded = DecodePng(EncodePng(SmallImage()), &blocks);
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.rgb, SmallImage().rgb);
    EXPECT_EQ(blocks, (std::vector<size_t>{20}));
}

TEST(ImageFilePng, LargeImageIsSplitIntoFullStoredBlocks) {
    // 300 rows of 1 + 900 bytes = 270300 bytes: four full blocks and 8160.
    const RgbImage image = PatternImage(300, 300);
    std::vector<size_t> blocks;
    const RgbImage decoded = DecodePng(EncodePng(image), &blocks);
    EXPECT_EQ(decoded.width, 300);
    EXPECT_EQ(decoded.height, 300);
    EXPECT_TRUE(decoded.rgb == image.rgb) << "pixels differ after decoding";
    EXPECT_EQ(blocks, (std::vector<size_t>{65535, 65535, 65535, 65535, 8160}));
}

TEST(ImageFilePng, DataOfExactlyOneBlockNeedsNoSecond) {
    // 771 rows of 1 + 84 bytes = 65535 bytes.
    const RgbImage image = PatternImage(28, 771);
    std::vector<size_t> blocks;
    const RgbImage decoded = DecodePng(EncodePng(image), &blocks);
    EXPECT_TRUE(decoded.rgb == image.rgb) << "pixels differ after decoding";
    EXPECT_EQ(blocks, (std::vector<size_t>{65535}));
}

TEST(ImageFilePng, OneByteOverABlockGoesIntoASecondBlock) {
    // 16384 rows of 1 + 3 bytes = 65536 bytes.
    const RgbImage image = PatternImage(1, 16384);
    std::vector<size_t> blocks;
    const RgbImage decoded = DecodePng(EncodePng(image), &blocks);
    EXPECT_TRUE(decoded.rgb == image.rgb) << "pixels differ after decoding";
    EXPECT_EQ(blocks, (std::vector<size_t>{65535, 1}));
}

}  // namespace
}  // namespace driver
