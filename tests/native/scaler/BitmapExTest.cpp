// CBitmapEx: loading every supported depth, refusing broken headers, the
// fixed-point bilinear scaling worked out by hand, and the 24-bit file it
// writes.

#include "scaler/BitmapEx.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/native/scaler/BmpBytes.h"

namespace scaler {
namespace {

using scalertest::BmpLayout;
using scalertest::Get;
using scalertest::GreyBmp;
using scalertest::MakeBmp;
using scalertest::Put;

TEST(BitmapExLoad, TwentyFourBitRowsSkipTheirPadding) {
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    // Bottom row first; 9 bytes of pixels, 3 of padding per row.
    layout.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    EXPECT_EQ(bitmap.Stride(), 12);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x030201u);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0x090807u);
    EXPECT_EQ(bitmap.Pixel(1, 1), 0x0F0E0Du);
    EXPECT_EQ(bitmap.FileHeader().size, 54u + 24u);
    EXPECT_EQ(bitmap.FileHeader().offBits, 54u);
    EXPECT_EQ(bitmap.InfoHeader().bitCount, 32);
}

TEST(BitmapExLoad, EightBitGoesThroughThePaletteAndStrayIndicesAreBlack) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bitsPerPixel = 8;
    layout.clrUsed = 3;
    layout.palette = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0xFF, 0xEE, 0xDD, 0};
    layout.rows = {{0, 2}, {1, 7}};  // 7 lies past the three entries
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x302010u);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0xDDEEFFu);
    EXPECT_EQ(bitmap.Pixel(0, 1), 0x605040u);
    EXPECT_EQ(bitmap.Pixel(1, 1), 0x000000u);
    EXPECT_EQ(bitmap.Palette().size(), 12u);
}

TEST(BitmapExLoad, EightBitWithNoColourCountHasAFullPalette) {
    BmpLayout layout;
    layout.bitsPerPixel = 8;
    layout.palette.assign(256 * 4, 0);
    layout.palette[255 * 4 + 0] = 7;
    layout.palette[255 * 4 + 2] = 9;
    layout.rows = {{255}};
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x090007u);
    EXPECT_EQ(bitmap.Palette().size(), 1024u);
}

TEST(BitmapExLoad, SixteenBitFieldsAreStretchedToFullRange) {
    BmpLayout layout;
    layout.width = 2;
    layout.bitsPerPixel = 16;
    const uint16_t mixed = (31 << 10) | (16 << 5) | 1;  // red 31, green 16, blue 1
    const uint16_t white = 0x7FFF;
    layout.rows = {{static_cast<uint8_t>(mixed), static_cast<uint8_t>(mixed >> 8), static_cast<uint8_t>(white),
                    static_cast<uint8_t>(white >> 8)}};
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    // 31 -> 255, 16 -> 128 | 4 = 132, 1 -> 8 | 0 = 8.
    EXPECT_EQ(bitmap.Pixel(0, 0), 0xFF8408u);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0xFFFFFFu);
}

TEST(BitmapExLoad, ThirtyTwoBitDropsTheFourthByte) {
    BmpLayout layout;
    layout.bitsPerPixel = 32;
    layout.rows = {{0x11, 0x22, 0x33, 0x44}};
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x332211u);
    EXPECT_EQ(bitmap.SaveToBytes()[54 + 3], 0) << "padding, not the dropped byte";
}

TEST(BitmapExLoad, TopDownImageIsStoredBottomUp) {
    BmpLayout layout;
    layout.height = -2;
    layout.rows = {{1, 1, 1}, {2, 2, 2}};  // file order: top row first
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x020202u);
    EXPECT_EQ(bitmap.Pixel(0, 1), 0x010101u);
    EXPECT_EQ(bitmap.InfoHeader().height, 2);
}

TEST(BitmapExLoad, LargerHeaderVersionAndDataOffsetAreHonoured) {
    BmpLayout layout;
    layout.rows = {{5, 6, 7}};
    std::vector<uint8_t> bytes = MakeBmp(layout);
    // A 124-byte header and two bytes of gap before the pixels.
    bytes.insert(bytes.begin() + 54, 84 + 2, 0xAA);
    Put(bytes, 14, 124, 4);
    Put(bytes, 10, 54 + 84 + 2, 4);
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(bytes), kNoError);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x070605u);
    const std::vector<uint8_t> saved = bitmap.SaveToBytes();
    EXPECT_EQ(Get(saved, 14, 4), 40u);
    EXPECT_EQ(saved.size(), 58u);
}

struct Breakage {
    const char* name;
    void (*apply)(std::vector<uint8_t>& bytes);
};

class BitmapExRefuses : public ::testing::TestWithParam<Breakage> {};

TEST_P(BitmapExRefuses, BrokenInput) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bitsPerPixel = 8;
    layout.clrUsed = 2;
    layout.palette = {1, 2, 3, 0, 4, 5, 6, 0};
    layout.rows = {{0, 1}, {1, 0}};
    std::vector<uint8_t> bytes = MakeBmp(layout);
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(bytes), kNoError) << "the unbroken file loads";
    GetParam().apply(bytes);
    EXPECT_EQ(bitmap.LoadFromBytes(bytes), kBadBitmap);
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_TRUE(bitmap.SaveToBytes().empty());
}

const Breakage kBreakages[] = {
    {"ShorterThanTheHeaders", [](std::vector<uint8_t>& b) { b.resize(53); }},
    {"NotBM", [](std::vector<uint8_t>& b) { b[1] = 'A'; }},
    {"FourBitsPerPixel", [](std::vector<uint8_t>& b) { Put(b, 28, 4, 2); }},
    {"OneBitPerPixel", [](std::vector<uint8_t>& b) { Put(b, 28, 1, 2); }},
    {"Compressed", [](std::vector<uint8_t>& b) { Put(b, 30, 1, 4); }},
    {"CoreHeader", [](std::vector<uint8_t>& b) { Put(b, 14, 12, 4); }},
    {"HeaderLongerThanFile", [](std::vector<uint8_t>& b) { Put(b, 14, 0x7FFFFFF0, 4); }},
    {"ZeroWidth", [](std::vector<uint8_t>& b) { Put(b, 18, 0, 4); }},
    {"NegativeWidth", [](std::vector<uint8_t>& b) { Put(b, 18, static_cast<uint32_t>(-2), 4); }},
    {"ZeroHeight", [](std::vector<uint8_t>& b) { Put(b, 22, 0, 4); }},
    {"MostNegativeHeight", [](std::vector<uint8_t>& b) { Put(b, 22, 0x80000000u, 4); }},
    {"HugeWidth", [](std::vector<uint8_t>& b) { Put(b, 18, 0x40000000, 4); }},
    {"WidthAboveLimit", [](std::vector<uint8_t>& b) { Put(b, 18, kMaxDimension + 1, 4); }},
    {"AreaAboveLimit",
     [](std::vector<uint8_t>& b) {
         Put(b, 18, kMaxDimension, 4);
         Put(b, 22, kMaxDimension, 4);
     }},
    {"PaletteCountAbove256", [](std::vector<uint8_t>& b) { Put(b, 46, 257, 4); }},
    {"PaletteCountHuge", [](std::vector<uint8_t>& b) { Put(b, 46, 0x40000001, 4); }},
    {"PalettePastTheEnd", [](std::vector<uint8_t>& b) { Put(b, 46, 0, 4); }},  // 256 entries in a short file
    {"DataOffsetPastTheEnd", [](std::vector<uint8_t>& b) { Put(b, 10, 0xFFFFFFF0u, 4); }},
    {"DataOffsetInsideThePalette", [](std::vector<uint8_t>& b) { Put(b, 10, 58, 4); }},
    {"PixelDataCutShort", [](std::vector<uint8_t>& b) { b.pop_back(); }},
    {"MoreRowsThanData", [](std::vector<uint8_t>& b) { Put(b, 22, 3, 4); }},
};

INSTANTIATE_TEST_SUITE_P(Headers, BitmapExRefuses, ::testing::ValuesIn(kBreakages),
                         [](const ::testing::TestParamInfo<Breakage>& info) { return std::string(info.param.name); });

TEST(BitmapExScale, StepsAndSizesInSinglePrecision) {
    EXPECT_EQ(ScaleStep(150), 0.666666686534881591796875f);
    EXPECT_EQ(ScaleStep(0), 100.0f);
    EXPECT_EQ(ScaleStep(-5), 100.0f);
    int w = 0, h = 0;
    ASSERT_TRUE(ScaledSize(400, 300, 125, 125, &w, &h));
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 375);
    // 250 / 0.8f is 312.4999953..., which single precision rounds to 312.5.
    ASSERT_TRUE(ScaledSize(250, 30, 125, 125, &w, &h));
    EXPECT_EQ(w, 313);
    EXPECT_EQ(h, 38);
    ASSERT_TRUE(ScaledSize(400, 300, -5, 0, &w, &h));
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_FALSE(ScaledSize(250, 30, 1, 1, &w, &h)) << "30 rows at 1 % round to none";
    EXPECT_FALSE(ScaledSize(375, 45, INT_MAX, INT_MAX, &w, &h));
    EXPECT_FALSE(ScaledSize(4096, 4096, 101, 101, &w, &h)) << "area above the limit";
    EXPECT_TRUE(ScaledSize(4096, 4096, 100, 100, &w, &h));
}

TEST(BitmapExScale, Wrap24KeepsTheLow24BitsSigned) {
    EXPECT_EQ(Wrap24(0x7FFFFF), 0x7FFFFF);
    EXPECT_EQ(Wrap24(0x800000), -0x800000);
    EXPECT_EQ(Wrap24(0x1000000 + 5), 5);
    EXPECT_EQ(Wrap24(0xFFFFFF), -1);
}

// 2 x 2 grey image at 150 %: step 100/150 = 0.6666667f, tx = ty = 170, so
// output positions 0, 170, 340 give (x, f) = (0, 0), (0, 170), (1, 84).
// Stored rows bottom-up: row 0 = 0, 200; row 1 = 100, 40.
//   (1,0): fx 170, fy 0: w00 = 86*256/256 = 86, w10 = 170 -> (0*86 + 200*170)/256 = 132.8 -> 132
//   (2,0): x = 1 is the last column, P10 = P00 = 200: w00 172 + w10 84 = 256 -> 200
//   (0,1): fy 170: w00 = 86, w01 = 170 -> (0*86 + 100*170)/256 = 66.4 -> 66
//   (1,1): w00 = 86*86/256 = 28, w10 = w01 = 170*86/256 = 57, w11 = 170*170/256 = 112
//          -> (0*28 + 200*57 + 100*57 + 40*112)/256 = 21580/256 = 84.3 -> 84
//   (2,1): x = 1 last column: P10 = P00 = 200, P01 = 40, P11 = P00 = 200 (both
//          neighbours must exist); fx 84, fy 170: w00 = 172*86/256 = 57, w10 = 84*86/256 = 28,
//          w01 = 172*170/256 = 114, w11 = 84*170/256 = 55
//          -> (200*57 + 200*28 + 40*114 + 200*55)/256 = 32560/256 = 127.2 -> 127
//   (0,2): y = 1 is the last row, P01 = P00 = 100: w00 172 + w01 84 -> 100
//   (1,2): fx 170, fy 84, y last: P00 = 100, P10 = 40, P01 = 100, P11 = 100:
//          w00 = 86*172/256 = 57, w10 = 170*172/256 = 114, w01 = 86*84/256 = 28, w11 = 170*84/256 = 55
//          -> (100*57 + 40*114 + 100*28 + 100*55)/256 = 18560/256 = 72.5 -> 72
//   (2,2): every neighbour is 40; weights 115 + 56 + 56 + 27 = 254 -> 40*254/256 = 39.7 -> 39
TEST(BitmapExScale, HandWorkedTwoByTwoAtOneHundredFiftyPercent) {
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(GreyBmp({{0, 200}, {100, 40}})), kNoError);
    ASSERT_EQ(bitmap.Scale(150, 150), kNoError);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.Stride(), 12);
    const int expected[3][3] = {{0, 132, 200}, {66, 84, 127}, {100, 72, 39}};
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 3; ++x) {
            const uint32_t v = static_cast<uint32_t>(expected[row][x]);
            EXPECT_EQ(bitmap.Pixel(x, row), v << 16 | v << 8 | v) << "x " << x << ", row " << row;
        }
    }
    EXPECT_EQ(bitmap.InfoHeader().width, 3);
    EXPECT_EQ(bitmap.FileHeader().size, 54u + 36u);
}

TEST(BitmapExScale, ChannelsAreScaledApart) {
    BmpLayout layout;
    layout.width = 2;
    layout.rows = {{10, 20, 30, 110, 120, 130}};  // blue, green, red per pixel
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    ASSERT_EQ(bitmap.Scale(150, 100), kNoError);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 1);
    // (1,0): fx 170: (c0*86 + c1*170)/256: blue (860+18700)/256 = 76, green (1720+20400)/256 = 86,
    // red (2580+22100)/256 = 96.
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x60564Cu);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0x82786Eu);
}

TEST(BitmapExScale, EdgePixelsLoseWhatTheTruncatedWeightsLose) {
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(GreyBmp({{255, 255}, {255, 255}})), kNoError);
    ASSERT_EQ(bitmap.Scale(150, 150), kNoError);
    // Where weights sum to 256 the value stays; where truncation drops two,
    // 255*254/256 = 253.
    EXPECT_EQ(bitmap.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0xFFFFFFu);
    EXPECT_EQ(bitmap.Pixel(1, 1), 0xFDFDFDu);
    EXPECT_EQ(bitmap.Pixel(2, 2), 0xFDFDFDu);
}

TEST(BitmapExScale, HundredPercentIsAnExactCopy) {
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(GreyBmp({{1, 2, 3}, {4, 5, 6}})), kNoError);
    ASSERT_EQ(bitmap.Scale(100, 100), kNoError);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x010101u);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0x030303u);
    EXPECT_EQ(bitmap.Pixel(2, 1), 0x060606u);
}

TEST(BitmapExScale, HalfSizePicksEveryOtherPixel) {
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(GreyBmp({{10, 20, 30, 40}, {50, 60, 70, 80}})), kNoError);
    // tx = 512: columns 0 and 2 of row 0, no fractions.
    ASSERT_EQ(bitmap.Scale(50, 50), kNoError);
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 1);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x0A0A0Au);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x1E1E1Eu);
}

TEST(BitmapExScale, OutOfRangeLeavesTheImageAlone) {
    CBitmapEx bitmap;
    EXPECT_EQ(bitmap.Scale(100, 100), kScaledSizeOutOfRange) << "nothing loaded";
    ASSERT_EQ(bitmap.LoadFromBytes(GreyBmp({{1, 2}})), kNoError);
    EXPECT_EQ(bitmap.Scale(INT_MAX, INT_MAX), kScaledSizeOutOfRange);
    EXPECT_EQ(bitmap.Scale(1, 1), kScaledSizeOutOfRange);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x020202u);
}

TEST(BitmapExSave, WritesA24BitBottomUpFileThatLoadsBack) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bitsPerPixel = 8;
    layout.clrUsed = 2;
    layout.palette = {1, 2, 3, 0, 4, 5, 6, 0};
    layout.rows = {{0, 1}, {1, 1}};
    CBitmapEx bitmap;
    ASSERT_EQ(bitmap.LoadFromBytes(MakeBmp(layout)), kNoError);
    const std::vector<uint8_t> saved = bitmap.SaveToBytes();
    // Stride 2*3 = 6 rounded to 8; no palette.
    ASSERT_EQ(saved.size(), 54u + 16u);
    EXPECT_EQ(Get(saved, 0, 2), 0x4D42u);
    EXPECT_EQ(Get(saved, 2, 4), 70u);
    EXPECT_EQ(Get(saved, 10, 4), 54u);
    EXPECT_EQ(Get(saved, 14, 4), 40u);
    EXPECT_EQ(Get(saved, 18, 4), 2u);
    EXPECT_EQ(Get(saved, 22, 4), 2u);
    EXPECT_EQ(Get(saved, 26, 2), 1u);
    EXPECT_EQ(Get(saved, 28, 2), 24u);
    EXPECT_EQ(Get(saved, 30, 4), 0u);
    EXPECT_EQ(Get(saved, 34, 4), 16u);
    EXPECT_EQ(Get(saved, 46, 4), 0u) << "no colour count for a 24-bit file";
    const std::vector<uint8_t> firstRow(saved.begin() + 54, saved.begin() + 62);
    EXPECT_EQ(firstRow, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(bitmap.BitsPerPixel(), 32) << "the image in memory stays 32-bit";

    CBitmapEx reloaded;
    ASSERT_EQ(reloaded.LoadFromBytes(saved), kNoError);
    ASSERT_EQ(reloaded.Width(), 2);
    ASSERT_EQ(reloaded.Height(), 2);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(reloaded.Pixel(x, row), bitmap.Pixel(x, row));
}

}  // namespace
}  // namespace scaler
