#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "companions/pixark/FrameLook.h"
#include "companions/pixark/WindowGrabChoice.h"

namespace pixark {
namespace {

// One frame of a run: read through the way the choice gave, at t ms.
struct Frame {
    int64_t t;
    bool blank;   // the DC's frame was blank / PrintWindow gave no picture
    bool seen;    // the window could be seen (DC frames only)
    char expect;  // the way for the next frame: 'D' the DC, 'P' PrintWindow
};

struct ChoiceRun {
    const char* name;
    std::vector<Frame> frames;
    int notices;
};

TEST(WindowGrabChoiceTest, TriesPrintWindowAfterASecondOfBlankFramesAndKeepsAPicture) {
    const ChoiceRun runs[] = {
        {"a picture through the DC stays there", {{0, false, true, 'D'}, {2000, false, true, 'D'}}, 0},
        {"blank a second: PrintWindow, which gives a picture and is kept",
         {{0, true, true, 'D'},
          {999, true, true, 'D'},
          {1000, true, true, 'P'},
          {1033, false, true, 'P'},
          {5000, false, true, 'P'}},
         1},
        {"a picture in between starts the second again",
         {{0, true, true, 'D'},
          {600, false, true, 'D'},
          {700, true, true, 'D'},
          {1600, true, true, 'D'},
          {1700, true, true, 'P'}},
         0},
        {"not seen (minimised, covered) counts for nothing",
         {{0, true, true, 'D'}, {500, true, false, 'D'}, {1500, true, true, 'D'}, {2500, true, true, 'P'}},
         0},
        {"PrintWindow black too: back to the DC for another second",
         {{0, true, true, 'D'},
          {1000, true, true, 'P'},
          {1033, true, true, 'D'},
          {1066, true, true, 'D'},
          {2033, true, true, 'P'},
          {2066, false, true, 'P'}},
         1},
        {"kept, then black: the DC again, and the log told once",
         {{0, true, true, 'D'},
          {1000, true, true, 'P'},
          {1033, false, true, 'P'},
          {1066, true, true, 'D'},
          {2100, true, true, 'P'},
          {2133, false, true, 'P'}},
         1},
    };
    for (const ChoiceRun& run : runs) {
        SCOPED_TRACE(run.name);
        WindowGrabChoice choice;
        int notices = 0;
        for (const Frame& f : run.frames) {
            if (choice.Way() == WindowGrab::WindowDc)
                choice.DcFrame(f.blank, f.seen, f.t);
            else
                choice.PrintFrame(!f.blank, f.t);
            notices += choice.TakeSwitchNotice() ? 1 : 0;
            EXPECT_EQ(choice.Way() == WindowGrab::PrintWindow ? 'P' : 'D', f.expect) << "after " << f.t << " ms";
        }
        EXPECT_EQ(notices, run.notices);
        choice.Reset();
        EXPECT_EQ(choice.Way(), WindowGrab::WindowDc);
    }
}

// Bottom-up rows padded to 4 bytes, as the filter's frames are.
std::vector<uint8_t> Frame32(int32_t w, int32_t h) { return std::vector<uint8_t>(static_cast<size_t>(w) * h * 4); }

TEST(FrameLookTest, BlackLeavesOutTheFourthByteAndThePointer) {
    const int32_t w = 5, h = 3;
    std::vector<uint8_t> bits = Frame32(w, h);
    const Rect none{};
    EXPECT_TRUE(LookAt(bits.data(), w, h, 32, none).black);
    const uint64_t blackDigest = LookAt(bits.data(), w, h, 32, none).digest;
    for (size_t i = 3; i < bits.size(); i += 4) bits[i] = 0xFF;  // X bytes
    EXPECT_TRUE(LookAt(bits.data(), w, h, 32, none).black);
    EXPECT_EQ(LookAt(bits.data(), w, h, 32, none).digest, blackDigest);
    // Pixel (4, 0) of the top row: the last row in memory.
    bits[static_cast<size_t>(2) * w * 4 + 4 * 4 + 1] = 1;
    EXPECT_FALSE(LookAt(bits.data(), w, h, 32, none).black);
    EXPECT_TRUE(LookAt(bits.data(), w, h, 32, Rect{4, 0, 5, 1}).black);
    EXPECT_FALSE(LookAt(bits.data(), w, h, 32, Rect{3, 0, 4, 1}).black);
    EXPECT_FALSE(LookAt(bits.data(), w, h, 32, Rect{4, 1, 5, 3}).black);
}

TEST(FrameLookTest, TheDigestTellsFramesApartAt24Bits) {
    // 3 pixels of 3 bytes: 9 bytes, rows padded to 12.
    const int32_t w = 3, h = 2;
    std::vector<uint8_t> a(24), b(24);
    EXPECT_EQ(LookAt(a.data(), w, h, 24, Rect{}).digest, LookAt(b.data(), w, h, 24, Rect{}).digest);
    b[8] = 7;  // the last colour byte of the bottom row
    EXPECT_NE(LookAt(a.data(), w, h, 24, Rect{}).digest, LookAt(b.data(), w, h, 24, Rect{}).digest);
    EXPECT_FALSE(LookAt(b.data(), w, h, 24, Rect{}).black);
    // The padding is not the picture.
    a[10] = 9;
    EXPECT_TRUE(LookAt(a.data(), w, h, 24, Rect{}).black);
    EXPECT_TRUE(LookAt(nullptr, w, h, 24, Rect{}).black);
}

}  // namespace
}  // namespace pixark
