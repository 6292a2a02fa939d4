#pragma once
// CBitmapEx: one Windows BMP in memory -- loaded from a file's bytes,
// converted to 32 bits per pixel, scaled with 8-bit fixed-point bilinear
// filtering and saved back as a 24-bit bottom-up BMP. Portable: the program
// reads and writes the files, this class only sees bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scaler {

// The numbers the result line shows. 1 to 3 are the scaler's historic
// numbers; 4 to 6 name failures it used to run into blindly.
enum ScalerError : int {
    kNoError = 0,
    kNoInputName = 1,
    kCannotOpenInput = 2,
    kNoOutputName = 3,
    kBadBitmap = 4,             // not an uncompressed 8/16/24/32-bit BMP, or its headers lie
    kCannotWriteOutput = 5,     // the output could not be created, written or put in place
    kScaledSizeOutOfRange = 6,  // the scaled image would be empty or larger than the limits
};

// Limits for loaded and scaled images. A skin is a few hundred pixels wide;
// the limits keep a hostile header or scale from asking a 32-bit process for
// gigabytes, and keep every fixed-point position far below 2^23.
constexpr int kMaxDimension = 16384;
constexpr int64_t kMaxPixels = int64_t{16} * 1024 * 1024;

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

struct BitmapFileHeader {
    uint16_t type = 0x4D42;  // "BM"
    uint32_t size = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t offBits = 0;
};

struct BitmapInfoHeader {
    uint32_t size = kInfoHeaderSize;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

// Row stride of a BMP: width x bits per pixel, rounded up to whole 32-bit words.
int64_t BmpStride(int64_t width, int bitsPerPixel);

// The scale steps in single precision: 100 / percent, a percent of 0 or less
// counting as 1.
float ScaleStep(int percent);

// The scaled size of a width x height image at sx and sy percent: each side
// is truncate(side / step + 0.5). False when a side would be below 1 or above
// kMaxDimension, or the area above kMaxPixels.
bool ScaledSize(int width, int height, int sx, int sy, int* newWidth, int* newHeight);

// A fixed-point position reduced modulo 2^24 to a signed value in
// [-2^23, 2^23).
int32_t Wrap24(int64_t position);

class CBitmapEx {
public:
    // Parses a whole BMP file and converts it to 32 bits per pixel. Returns
    // kNoError, or kBadBitmap (leaving the object empty) for anything that is
    // not an uncompressed BMP of 8, 16, 24 or 32 bits per pixel within the
    // limits, or whose headers point past the end of the data.
    int LoadFromBytes(const uint8_t* data, size_t size);
    int LoadFromBytes(const std::vector<uint8_t>& bytes) { return LoadFromBytes(bytes.data(), bytes.size()); }

    // Scales by sx percent across and sy percent down (bilinear, 8-bit fixed
    // point). Returns kNoError, or kScaledSizeOutOfRange with the image
    // unchanged.
    int Scale(int sx, int sy);

    // The image as a 24-bit bottom-up BMP file. The in-memory image stays
    // 32-bit. Empty when nothing is loaded.
    std::vector<uint8_t> SaveToBytes() const;

    bool IsEmpty() const { return m_pixels.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    int Stride() const { return m_stride; }
    // The pixel at column x of stored row `row` (rows bottom-up, as in the
    // file) as 0xRRGGBB. The fourth byte is always 0.
    uint32_t Pixel(int x, int row) const;
    const BitmapFileHeader& FileHeader() const { return m_fileHeader; }
    const BitmapInfoHeader& InfoHeader() const { return m_infoHeader; }
    // The palette of an 8-bit input, four bytes (blue, green, red, 0) per entry.
    const std::vector<uint8_t>& Palette() const { return m_palette; }

private:
    void Clear();

    BitmapFileHeader m_fileHeader;
    BitmapInfoHeader m_infoHeader;
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    int m_bytesPerPixel = 0;
    int m_stride = 0;
    std::vector<uint8_t> m_palette;
    std::vector<uint8_t> m_pixels;  // rows bottom-up, m_stride bytes each
};

}  // namespace scaler
