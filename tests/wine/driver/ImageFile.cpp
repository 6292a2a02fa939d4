#include "tests/wine/driver/ImageFile.h"

#include <algorithm>
#include <array>

namespace driver {
namespace {

// Both formats store their sizes in 32 bits; keep every size computed from
// width and height well inside that, so no product overflows on a 32-bit
// size_t either.
constexpr int64_t kMaxPixelBytes = int64_t{1} << 30;

constexpr size_t kBmpHeaderSize = 14 + 40;
constexpr size_t kMaxStoredBlock = 65535;

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

// A chunk's CRC covers its type and data, not its length.
void PutPngChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// zlib header 0x78 0x01: deflate with a 32 KiB window and the lowest level
// hint, no preset dictionary; (0x78 * 256 + 0x01) is a multiple of 31 as
// the header check requires.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out;
    const size_t blocks = std::max<size_t>(1, (raw.size() + kMaxStoredBlock - 1) / kMaxStoredBlock);
    out.reserve(2 + raw.size() + blocks * 5 + 4);
    out.push_back(0x78);
    out.push_back(0x01);
    size_t pos = 0;
    do {
        const size_t len = std::min(kMaxStoredBlock, raw.size() - pos);
        const bool last = pos + len == raw.size();
        // Block header bits, least significant first: BFINAL, then BTYPE 00
        // (stored); the rest of the byte is padding up to the byte boundary.
        out.push_back(last ? 0x01 : 0x00);
        PutLe16(out, static_cast<uint32_t>(len));
        PutLe16(out, static_cast<uint32_t>(~len & 0xFFFF));
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    PutBe32(out, Adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

bool IsWellFormed(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    const int64_t bytes = int64_t{image.width} * image.height * 3;
    return bytes <= kMaxPixelBytes && image.rgb.size() == static_cast<size_t>(bytes);
}

std::vector<uint8_t> EncodeBmp(const RgbImage& image) {
    if (!IsWellFormed(image)) return {};
    const size_t width = static_cast<size_t>(image.width);
    const size_t height = static_cast<size_t>(image.height);
    const size_t stride = (width * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = stride * height;

    std::vector<uint8_t> out;
    out.reserve(kBmpHeaderSize + pixelBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, static_cast<uint32_t>(kBmpHeaderSize + pixelBytes));
    PutLe32(out, 0);  // two reserved words
    PutLe32(out, static_cast<uint32_t>(kBmpHeaderSize));
    // BITMAPINFOHEADER; a positive height means bottom-up rows.
    PutLe32(out, 40);
    PutLe32(out, static_cast<uint32_t>(image.width));
    PutLe32(out, static_cast<uint32_t>(image.height));
    PutLe16(out, 1);   // planes
    PutLe16(out, 24);  // bits per pixel
    PutLe32(out, 0);   // BI_RGB
    PutLe32(out, static_cast<uint32_t>(pixelBytes));
    PutLe32(out, 0);  // horizontal resolution: none given
    PutLe32(out, 0);  // vertical resolution: none given
    PutLe32(out, 0);  // colours used: all
    PutLe32(out, 0);  // important colours: all

    for (size_t y = height; y-- > 0;) {
        const uint8_t* row = image.rgb.data() + y * width * 3;
        for (size_t x = 0; x < width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        out.resize(out.size() + (stride - width * 3), 0);
    }
    return out;
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
    if (!IsWellFormed(image)) return {};
    const size_t width = static_cast<size_t>(image.width);
    const size_t height = static_cast<size_t>(image.height);
    const size_t rowBytes = width * 3;

    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(image.width));
    PutBe32(header, static_cast<uint32_t>(image.height));
    header.push_back(8);  // bits per sample
    header.push_back(2);  // colour type: RGB
    header.push_back(0);  // compression: deflate
    header.push_back(0);  // filter method: adaptive (every row says "none")
    header.push_back(0);  // not interlaced

    std::vector<uint8_t> filtered;
    filtered.reserve((rowBytes + 1) * height);
    for (size_t y = 0; y < height; ++y) {
        filtered.push_back(0);
        const auto row = image.rgb.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
        filtered.insert(filtered.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> out(kSignature, kSignature + 8);
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", ZlibStored(filtered));
    PutPngChunk(out, "IEND", {});
    return out;
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    const auto& table = CrcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
    constexpr uint32_t kMod = 65521;
    // 5552 is the longest run whose sums cannot overflow 32 bits before the
    // modulo has to be taken.
    constexpr size_t kRun = 5552;
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    while (size > 0) {
        const size_t n = std::min(size, kRun);
        for (size_t i = 0; i < n; ++i) {
            a += data[i];
            b += a;
        }
        a %= kMod;
        b %= kMod;
        data += n;
        size -= n;
    }
    return (b << 16) | a;
}

}  // namespace driver
