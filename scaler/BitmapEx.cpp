#include "scaler/BitmapEx.h"

#include <algorithm>

namespace scaler {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr int kMaxPaletteEntries = 256;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// On i686 the x87 unit keeps intermediates in extended precision and GCC
// rounds them to float only where it likes; the steps and quotients must be
// single-precision values, so they go through memory.
float ToSingle(double value) {
    volatile float single = static_cast<float>(value);
    return single;
}

// A 5-bit colour field stretched over 0..255, so that white stays white.
uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

}  // namespace

int64_t BmpStride(int64_t width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

float ScaleStep(int percent) { return ToSingle(100.0 / static_cast<double>(percent <= 0 ? 1 : percent)); }

bool ScaledSize(int width, int height, int sx, int sy, int* newWidth, int* newHeight) {
    // The quotient is a single-precision value; adding 0.5 to it is exact in
    // double, and the range check comes before any conversion to int.
    const double w = static_cast<double>(ToSingle(width / static_cast<double>(ScaleStep(sx)))) + 0.5;
    const double h = static_cast<double>(ToSingle(height / static_cast<double>(ScaleStep(sy)))) + 0.5;
    if (!(w >= 1.0 && w < kMaxDimension + 1.0 && h >= 1.0 && h < kMaxDimension + 1.0)) return false;
    const int wi = static_cast<int>(w);
    const int hi = static_cast<int>(h);
    if (int64_t{wi} * hi > kMaxPixels) return false;
    *newWidth = wi;
    *newHeight = hi;
    return true;
}

int32_t Wrap24(int64_t position) {
    const int64_t low = position & 0xFFFFFF;
    return static_cast<int32_t>(low >= 0x800000 ? low - 0x1000000 : low);
}

void CBitmapEx::Clear() { *this = CBitmapEx(); }

int CBitmapEx::LoadFromBytes(const uint8_t* data, size_t size) {
    Clear();
    if (data == nullptr || size < static_cast<size_t>(kHeadersSize)) return kBadBitmap;

    BitmapFileHeader file;
    file.type = Read16(data);
    file.size = Read32(data + 2);
    file.reserved1 = Read16(data + 6);
    file.reserved2 = Read16(data + 8);
    file.offBits = Read32(data + 10);
    const uint8_t* p = data + kFileHeaderSize;
    BitmapInfoHeader info;
    info.size = Read32(p);
    info.width = static_cast<int32_t>(Read32(p + 4));
    info.height = static_cast<int32_t>(Read32(p + 8));
    info.planes = Read16(p + 12);
    info.bitCount = Read16(p + 14);
    info.compression = Read32(p + 16);
    info.sizeImage = Read32(p + 20);
    info.xPelsPerMeter = static_cast<int32_t>(Read32(p + 24));
    info.yPelsPerMeter = static_cast<int32_t>(Read32(p + 28));
    info.clrUsed = Read32(p + 32);
    info.clrImportant = Read32(p + 36);

    // Later header versions (V4, V5) begin with the same 40 bytes; the
    // palette follows the header at its stated size.
    if (file.type != 0x4D42 || info.size < kInfoHeaderSize || info.size > size - kFileHeaderSize) return kBadBitmap;
    const int bits = info.bitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return kBadBitmap;
    if (info.compression != kBiRgb) return kBadBitmap;
    // A negative height is a top-down image; anything beyond the limits,
    // INT32_MIN among them, is refused before it is negated.
    const int64_t width = info.width;
    const int64_t signedHeight = info.height;
    const bool topDown = signedHeight < 0;
    const int64_t height = topDown ? -signedHeight : signedHeight;
    if (width < 1 || width > kMaxDimension || height < 1 || height > kMaxDimension || width * height > kMaxPixels)
        return kBadBitmap;

    const uint64_t paletteStart = kFileHeaderSize + uint64_t{info.size};
    uint64_t paletteBytes = 0;
    if (bits == 8) {
        if (info.clrUsed > kMaxPaletteEntries) return kBadBitmap;
        paletteBytes = 4 * uint64_t{info.clrUsed == 0 ? kMaxPaletteEntries : info.clrUsed};
    }
    const int64_t stride = BmpStride(width, bits);
    const uint64_t dataBytes = static_cast<uint64_t>(stride * height);
    // The data offset is honoured when the file gives one; it may leave a gap
    // after the palette but never overlap it.
    const uint64_t dataStart = file.offBits != 0 ? file.offBits : paletteStart + paletteBytes;
    if (paletteStart + paletteBytes > size || dataStart < paletteStart + paletteBytes || dataStart > size ||
        dataBytes > size - dataStart)
        return kBadBitmap;

    std::vector<uint8_t> palette(data + paletteStart, data + paletteStart + paletteBytes);
    const size_t paletteEntries = palette.size() / 4;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    const int stride32 = w * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride32) * h);
    for (int row = 0; row < h; ++row) {
        // Stored rows go bottom-up; a top-down file's last row is our row 0.
        const int sourceRow = topDown ? h - 1 - row : row;
        const uint8_t* src = data + dataStart + static_cast<size_t>(sourceRow) * static_cast<size_t>(stride);
        uint8_t* dst = pixels.data() + static_cast<size_t>(row) * stride32;
        for (int x = 0; x < w; ++x, dst += 4) {
            switch (bits) {
                case 8: {
                    // An index past a short palette reads as black.
                    const size_t index = src[x];
                    if (index < paletteEntries) std::copy_n(palette.data() + 4 * index, 3, dst);
                    break;
                }
                case 16: {
                    const unsigned v = Read16(src + 2 * x);
                    dst[0] = Expand5(v & 0x1F);
                    dst[1] = Expand5((v >> 5) & 0x1F);
                    dst[2] = Expand5((v >> 10) & 0x1F);
                    break;
                }
                case 24:
                    std::copy_n(src + 3 * x, 3, dst);
                    break;
                default:
                    std::copy_n(src + 4 * x, 3, dst);
                    break;
            }
            dst[3] = 0;
        }
    }

    m_fileHeader = file;
    m_infoHeader = info;
    m_palette = std::move(palette);
    m_pixels = std::move(pixels);
    m_width = w;
    m_height = h;
    m_bitsPerPixel = 32;
    m_bytesPerPixel = 4;
    m_stride = stride32;
    m_infoHeader.height = h;
    m_infoHeader.bitCount = 32;
    m_fileHeader.size = static_cast<uint32_t>(m_pixels.size() + kHeadersSize);
    m_fileHeader.offBits = kHeadersSize;
    return kNoError;
}

int CBitmapEx::Scale(int sx, int sy) {
    if (IsEmpty()) return kScaledSizeOutOfRange;
    int newWidth = 0;
    int newHeight = 0;
    if (!ScaledSize(m_width, m_height, sx, sy, &newWidth, &newHeight)) return kScaledSizeOutOfRange;
    const int tx = static_cast<int>(ScaleStep(sx) * 256.0);
    const int ty = static_cast<int>(ScaleStep(sy) * 256.0);

    const int newStride = newWidth * 4;
    std::vector<uint8_t> scaled(static_cast<size_t>(newStride) * newHeight);
    for (int i = 0; i < newHeight; ++i) {
        const int32_t py = Wrap24(int64_t{i} * ty);
        // Within the dimension limits a position stays below 2^22 and the
        // source row below the height; the clamps only guard the reads.
        const int y = std::clamp<int32_t>(py / 256, 0, m_height - 1);
        const int fy = std::clamp<int32_t>(py % 256, 0, 255);
        const int y1 = y < m_height - 1 ? y + 1 : y;
        const uint8_t* row0 = m_pixels.data() + static_cast<size_t>(y) * m_stride;
        const uint8_t* row1 = m_pixels.data() + static_cast<size_t>(y1) * m_stride;
        uint8_t* dst = scaled.data() + static_cast<size_t>(i) * newStride;
        for (int j = 0; j < newWidth; ++j, dst += 4) {
            const int32_t px = Wrap24(int64_t{j} * tx);
            const int x = std::clamp<int32_t>(px / 256, 0, m_width - 1);
            const int fx = std::clamp<int32_t>(px % 256, 0, 255);
            const int x1 = x < m_width - 1 ? x + 1 : x;
            // P11 moves only when both neighbours exist; otherwise it is P00.
            const bool both = x1 != x && y1 != y;
            const uint8_t* p00 = row0 + 4 * x;
            const uint8_t* p10 = row0 + 4 * x1;
            const uint8_t* p01 = row1 + 4 * x;
            const uint8_t* p11 = both ? row1 + 4 * x1 : p00;
            const int w00 = (256 - fx) * (256 - fy) / 256;
            const int w10 = fx * (256 - fy) / 256;
            const int w01 = (256 - fx) * fy / 256;
            const int w11 = fx * fy / 256;
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<uint8_t>((p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11) / 256);
            dst[3] = 0;
        }
    }

    m_pixels = std::move(scaled);
    m_width = newWidth;
    m_height = newHeight;
    m_stride = newStride;
    m_infoHeader.width = newWidth;
    m_infoHeader.height = newHeight;
    m_fileHeader.size = static_cast<uint32_t>(m_pixels.size() + kHeadersSize);
    return kNoError;
}

std::vector<uint8_t> CBitmapEx::SaveToBytes() const {
    std::vector<uint8_t> out;
    if (IsEmpty()) return out;
    const int stride24 = static_cast<int>(BmpStride(m_width, 24));
    const uint32_t dataBytes = static_cast<uint32_t>(stride24) * static_cast<uint32_t>(m_height);
    out.reserve(kHeadersSize + dataBytes);

    Put16(out, m_fileHeader.type);
    Put32(out, dataBytes + kHeadersSize);
    Put16(out, m_fileHeader.reserved1);
    Put16(out, m_fileHeader.reserved2);
    Put32(out, kHeadersSize);
    // What the kept header said about the input's layout (a larger header
    // version, a palette's size, an 8-bit image's data size) no longer holds
    // for the 24-bit file that follows.
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(m_width));
    Put32(out, static_cast<uint32_t>(m_height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, kBiRgb);
    Put32(out, dataBytes);
    Put32(out, static_cast<uint32_t>(m_infoHeader.xPelsPerMeter));
    Put32(out, static_cast<uint32_t>(m_infoHeader.yPelsPerMeter));
    Put32(out, 0);
    Put32(out, 0);

    for (int row = 0; row < m_height; ++row) {
        const uint8_t* src = m_pixels.data() + static_cast<size_t>(row) * m_stride;
        for (int x = 0; x < m_width; ++x) out.insert(out.end(), src + 4 * x, src + 4 * x + 3);
        out.resize(out.size() + static_cast<size_t>(stride24 - 3 * m_width), 0);
    }
    return out;
}

uint32_t CBitmapEx::Pixel(int x, int row) const {
    if (x < 0 || x >= m_width || row < 0 || row >= m_height) return 0;
    const uint8_t* p = m_pixels.data() + static_cast<size_t>(row) * m_stride + 4 * x;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

}  // namespace scaler
