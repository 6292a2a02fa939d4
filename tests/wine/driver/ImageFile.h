#pragma once
// Image file encoders for the driver's screenshots. Portable (std only), so
// the native build checks the exact bytes they write.
//
// Both formats are written the plainest valid way: BMP as 24-bit bottom-up
// BI_RGB, PNG as 8-bit RGB with no row filtering and an uncompressed
// ("stored") zlib stream. Screenshots are for a look and for tests that read
// them back, so size does not matter and a trivial decoder can check them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace driver {

// Pixels top-down, 3 bytes per pixel in R, G, B order, rows not padded.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// True when width and height are positive and rgb holds exactly
// width * height * 3 bytes. The encoders refuse anything else.
bool IsWellFormed(const RgbImage& image);

// A complete .bmp file: 14-byte file header, 40-byte BITMAPINFOHEADER,
// 24 bits per pixel, rows bottom-up in B, G, R order, each padded with zeros
// to a multiple of 4 bytes. Empty if the image is not well formed.
std::vector<uint8_t> EncodeBmp(const RgbImage& image);

// A complete .png file: signature, IHDR (8-bit RGB, not interlaced), one IDAT
// and IEND. Every row starts with filter type 0; the zlib stream is made of
// stored deflate blocks of at most 65535 bytes and ends with the Adler-32 of
// the filtered rows. Empty if the image is not well formed.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// The CRC-32 of PNG chunks (and zip): reflected polynomial 0xEDB88320.
// Pass a previous result as `crc` to continue over more bytes.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// The Adler-32 checksum that ends a zlib stream. Pass a previous result as
// `adler` to continue over more bytes.
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

}  // namespace driver
