// size.exe end to end under Wine: started the way the recorder starts it,
// it scales the master in the recorder's settings folder into
// "bitmap7_rsc.bmp" and ends with exit code 0 whatever happened.

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "scaler/BitmapEx.h"
#include "tests/wine/driver/Driver.h"

namespace {

constexpr DWORD kRunTimeoutMs = 20000;
const wchar_t* const kNames[] = {L"bitmap7.bmp", L"bitmap7_100.bmp", L"bitmap7_rsc.bmp", L"bitmap7_rsc.bmp.tmp"};

std::wstring SettingsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return std::wstring(path) + L"\\Telvane 2";
}

// The settings folder is the recorder's too: whatever the test finds there
// is put back afterwards, and what it adds is taken away.
class SizeProgram : public ::testing::Test {
protected:
    void SetUp() override {
        folder = SettingsFolder();
        ASSERT_FALSE(folder.empty());
        createdFolder = ::CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
        ASSERT_TRUE(createdFolder || ::GetLastError() == ERROR_ALREADY_EXISTS);
        for (const wchar_t* name : kNames) {
            std::vector<uint8_t> bytes;
            if (driver::ReadFileBytes(Path(name), &bytes))
                saved.push_back({name, bytes});
            else
                saved.push_back({name, std::nullopt});
            ::DeleteFileW(Path(name).c_str());
        }
        // The masters the build drew, as the recorder copies them there.
        const wchar_t* const masters[2] = {L"bitmap7_100.bmp", L"bitmap7.bmp"};
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(driver::ReadFileBytes(driver::ProductFolder() + masters[i], &master[i]));
            ASSERT_TRUE(driver::WriteFileBytes(Path(masters[i]), master[i]));
        }
    }

    void TearDown() override {
        for (const auto& [name, bytes] : saved) {
            ::DeleteFileW(Path(name).c_str());
            if (bytes) {
                EXPECT_TRUE(driver::WriteFileBytes(Path(name), *bytes));
            }
        }
        if (createdFolder) {
            EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
        }
    }

    std::wstring Path(const std::wstring& name) const { return folder + L"\\" + name; }

    // Runs size.exe with the recorder's " -sz %d"; the exit code, or a
    // marker when it did not end.
    DWORD RunSize(const std::wstring& args) {
        driver::Program program = driver::Program::Start(driver::ProductFolder() + L"size.exe", args);
        EXPECT_TRUE(program) << std::string(program.Error().begin(), program.Error().end());
        if (!program) return 0xDEAD;
        // Its window lives until the first tick of its 100 ms timer.
        HWND window = driver::WaitForWindow(L"Bitmaps", kRunTimeoutMs, program.Id());
        if (window) windowWasHidden = !::IsWindowVisible(window);
        DWORD code = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(kRunTimeoutMs, &code)) << "size.exe did not end";
        return code;
    }

    scaler::CBitmapEx LoadOutput() {
        scaler::CBitmapEx bitmap;
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(driver::ReadFileBytes(Path(L"bitmap7_rsc.bmp"), &bytes)) << "no bitmap7_rsc.bmp";
        outputBytes = bytes;
        EXPECT_EQ(bitmap.LoadFromBytes(bytes), scaler::kNoError);
        return bitmap;
    }

    std::wstring folder;
    bool createdFolder = false;
    std::vector<std::pair<std::wstring, std::optional<std::vector<uint8_t>>>> saved;
    std::vector<uint8_t> master[2];  // [0] the 100 % master, [1] the 150 % one
    std::vector<uint8_t> outputBytes;
    bool windowWasHidden = false;
};

TEST_F(SizeProgram, OneHundredTwentyFiveScalesTheSmallMaster) {
    EXPECT_EQ(RunSize(L" -sz 125"), 0u);
    EXPECT_TRUE(windowWasHidden);
    const scaler::CBitmapEx out = LoadOutput();
    // 250 x 30 at 125 %: 250 / 0.8f = 312.5 and 30 / 0.8f = 37.5 in single precision.
    EXPECT_EQ(out.Width(), 313);
    EXPECT_EQ(out.Height(), 38);
    ASSERT_GE(outputBytes.size(), 54u);
    EXPECT_EQ(outputBytes[28], 24) << "24 bits per pixel";
    EXPECT_EQ(outputBytes.size(), 54u + 940u * 38u);  // stride 313 * 3 = 939 -> 940

    // The program's file is the portable core's result, byte for byte.
    scaler::CBitmapEx expected;
    ASSERT_EQ(expected.LoadFromBytes(master[0]), scaler::kNoError);
    ASSERT_EQ(expected.Scale(125, 125), scaler::kNoError);
    EXPECT_TRUE(outputBytes == expected.SaveToBytes());
    EXPECT_FALSE(driver::FileExists(Path(L"bitmap7_rsc.bmp.tmp")));
}

TEST_F(SizeProgram, OneHundredFiftyCopiesTheLargeMasterAtItsSize) {
    EXPECT_EQ(RunSize(L" -sz 150"), 0u);
    const scaler::CBitmapEx out = LoadOutput();
    scaler::CBitmapEx large;
    ASSERT_EQ(large.LoadFromBytes(master[1]), scaler::kNoError);
    ASSERT_EQ(out.Width(), 375);
    ASSERT_EQ(out.Height(), 45);
    for (int row = 0; row < 45; ++row)
        for (int x = 0; x < 375; ++x) ASSERT_EQ(out.Pixel(x, row), large.Pixel(x, row)) << x << "," << row;
}

TEST_F(SizeProgram, NoArgumentsScaleTheSmallMasterByOneHundredFifty) {
    EXPECT_EQ(RunSize(L""), 0u);
    const scaler::CBitmapEx out = LoadOutput();
    EXPECT_EQ(out.Width(), 375);
    EXPECT_EQ(out.Height(), 45);
}

TEST_F(SizeProgram, MissingMasterLeavesNoOutputAndStillExitsWithZero) {
    ASSERT_TRUE(::DeleteFileW(Path(L"bitmap7_100.bmp").c_str()));
    // A skin from an earlier scale must not pass for this one.
    ASSERT_TRUE(driver::WriteFileBytes(Path(L"bitmap7_rsc.bmp"), {'B', 'M'}));
    EXPECT_EQ(RunSize(L" -sz 125"), 0u);
    EXPECT_FALSE(driver::FileExists(Path(L"bitmap7_rsc.bmp")));
    EXPECT_FALSE(driver::FileExists(Path(L"bitmap7_rsc.bmp.tmp")));
}

}  // namespace
