// The scaler's job: which master, which output name, the result line, and a
// whole run over an in-memory file system.

#include "scaler/ScaleJob.h"

#include <gtest/gtest.h>

#include <map>

#include "scaler/BitmapEx.h"
#include "tests/native/scaler/BmpBytes.h"

namespace scaler {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Users\\me\\AppData\\Roaming\\Telvane 2";
const std::wstring kMaster100 = std::wstring(kFolder) + L"\\bitmap7_100.bmp";
const std::wstring kMaster150 = std::wstring(kFolder) + L"\\bitmap7.bmp";
const std::wstring kOutput = std::wstring(kFolder) + L"\\bitmap7_rsc.bmp";

// Files in memory, with switches to make each operation fail.
class FakeFiles : public ScalerFiles {
public:
    ReadResult ReadWhole(const std::wstring& path, std::vector<uint8_t>& bytes) override {
        if (tooLarge) return ReadResult::TooLarge;
        auto it = files.find(path);
        if (it == files.end()) return ReadResult::CannotOpen;
        bytes = it->second;
        return ReadResult::Ok;
    }
    bool CreateEmpty(const std::wstring& path) override {
        if (failCreate) return false;
        files[path].clear();
        return true;
    }
    bool WriteWhole(const std::wstring& path, const std::vector<uint8_t>& bytes) override {
        if (failWrite) return false;
        files[path] = bytes;
        return true;
    }
    bool Replace(const std::wstring& from, const std::wstring& to) override {
        auto it = files.find(from);
        if (failReplace || it == files.end()) return false;
        files[to] = it->second;
        files.erase(from);
        return true;
    }
    void Remove(const std::wstring& path) override { files.erase(path); }

    bool Has(const std::wstring& path) const { return files.count(path) != 0; }

    std::map<std::wstring, std::vector<uint8_t>> files;
    bool tooLarge = false;
    bool failCreate = false;
    bool failWrite = false;
    bool failReplace = false;
};

// A width x height grey ramp, rows bottom-up.
std::vector<uint8_t> Ramp(int width, int height) {
    std::vector<std::vector<uint8_t>> rows(height, std::vector<uint8_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[y][x] = static_cast<uint8_t>((x * 7 + y * 13) & 0xFF);
    return scalertest::GreyBmp(rows);
}

CBitmapEx LoadOutput(const FakeFiles& fake) {
    CBitmapEx bitmap;
    EXPECT_EQ(bitmap.LoadFromBytes(fake.files.at(kOutput)), kNoError);
    return bitmap;
}

TEST(ScalerChooseInput, BelowOneHundredFiftyTakesTheHundredPercentMaster) {
    ScalerInput input = ChooseInput(kFolder, 125);
    EXPECT_EQ(input.inputName, kMaster100);
    EXPECT_EQ(input.scale, 125);
    input = ChooseInput(kFolder, 0);
    EXPECT_EQ(input.inputName, kMaster100);
    EXPECT_EQ(input.scale, 0);
    EXPECT_EQ(ChooseInput(kFolder, 149).inputName, kMaster100);
}

TEST(ScalerChooseInput, FromOneHundredFiftyTheLargeMasterAtAThirdLess) {
    ScalerInput input = ChooseInput(kFolder, 150);
    EXPECT_EQ(input.inputName, kMaster150);
    EXPECT_EQ(input.scale, 100);
    EXPECT_EQ(ChooseInput(kFolder, 200).scale, 133);
    EXPECT_EQ(ChooseInput(kFolder, 175).scale, 116);
}

TEST(ScalerChooseInput, UnknownFolderGivesNoInputName) { EXPECT_EQ(ChooseInput(L"", 125).inputName, L""); }

TEST(ScalerOutputName, BothMastersGiveTheSameOutput) {
    EXPECT_EQ(OutputNameFor(kMaster100), kOutput);
    EXPECT_EQ(OutputNameFor(kMaster150), kOutput);
    EXPECT_EQ(OutputNameFor(L"C:\\skins_100\\bitmap7.bmp"), L"C:\\skins_100\\bitmap7_rsc.bmp");
    EXPECT_EQ(OutputNameFor(L"C:\\x\\bitmap7.png"), L"");
    EXPECT_EQ(OutputNameFor(L""), L"");
}

TEST(ScalerResultLine, Texts) {
    EXPECT_EQ(ResultLine(L"C:\\a\\bitmap7_rsc.bmp", 0, 125), L"C:\\a\\bitmap7_rsc.bmp OK. size=125");
    EXPECT_EQ(ResultLine(L"C:\\a\\bitmap7_rsc.bmp", 2, 150), L"C:\\a\\bitmap7_rsc.bmp error=2. size=150");
}

TEST(ScalerRun, OneHundredFiftyOnTheLargeMasterIsASameSize24BitCopy) {
    FakeFiles fake;
    fake.files[kMaster150] = Ramp(15, 9);
    const ScalerInput input = ChooseInput(kFolder, 150);
    const ScaleResult result = RunScale(fake, input.inputName, input.scale);
    EXPECT_EQ(result.error, kNoError);
    EXPECT_EQ(result.line, kOutput + L" OK. size=100");
    const CBitmapEx out = LoadOutput(fake);
    EXPECT_EQ(scalertest::Get(fake.files.at(kOutput), 28, 2), 24u);
    CBitmapEx master;
    ASSERT_EQ(master.LoadFromBytes(fake.files.at(kMaster150)), kNoError);
    ASSERT_EQ(out.Width(), 15);
    ASSERT_EQ(out.Height(), 9);
    for (int row = 0; row < 9; ++row)
        for (int x = 0; x < 15; ++x) ASSERT_EQ(out.Pixel(x, row), master.Pixel(x, row));
    EXPECT_EQ(fake.files.size(), 2u) << "no temporary file left";
}

TEST(ScalerRun, OneHundredTwentyFiveOnTheSmallMaster) {
    FakeFiles fake;
    fake.files[kMaster100] = Ramp(400, 300);
    const ScalerInput input = ChooseInput(kFolder, 125);
    const ScaleResult result = RunScale(fake, input.inputName, input.scale);
    EXPECT_EQ(result.line, kOutput + L" OK. size=125");
    const CBitmapEx out = LoadOutput(fake);
    EXPECT_EQ(out.Width(), 500);
    EXPECT_EQ(out.Height(), 375);
}

TEST(ScalerRun, NoScaleGivenScalesTheSmallMasterByOneHundredFifty) {
    FakeFiles fake;
    fake.files[kMaster100] = scalertest::GreyBmp({{0, 200}, {100, 40}});
    fake.files[kMaster150] = Ramp(3, 3);  // must not be taken
    const ScalerInput input = ChooseInput(kFolder, 0);
    const ScaleResult result = RunScale(fake, input.inputName, input.scale);
    EXPECT_EQ(result.scale, 150);
    EXPECT_EQ(result.line, kOutput + L" OK. size=150");
    const CBitmapEx out = LoadOutput(fake);
    ASSERT_EQ(out.Width(), 3);
    EXPECT_EQ(out.Pixel(1, 1), 0x545454u) << "the hand-worked 84 of the 2 x 2 image";
}

TEST(ScalerRun, MissingInputIsErrorTwoAndLeavesNoOutput) {
    FakeFiles fake;
    fake.files[kOutput] = {1, 2, 3};  // from an earlier scale: must not pass for this one
    const ScaleResult result = RunScale(fake, kMaster100, 125);
    EXPECT_EQ(result.error, kCannotOpenInput);
    EXPECT_EQ(result.line, kOutput + L" error=2. size=125");
    EXPECT_TRUE(fake.files.empty());
}

TEST(ScalerRun, NoInputNameIsErrorOne) {
    FakeFiles fake;
    const ScaleResult result = RunScale(fake, L"", 125);
    EXPECT_EQ(result.error, kNoInputName);
    EXPECT_EQ(result.line, L" error=1. size=125");
}

TEST(ScalerRun, AnInputNotNamedBmpHasNoOutputName) {
    FakeFiles fake;
    fake.files[L"C:\\x\\skin.png"] = Ramp(2, 2);
    const ScaleResult result = RunScale(fake, L"C:\\x\\skin.png", 125);
    EXPECT_EQ(result.error, kNoOutputName);
    EXPECT_EQ(result.line, L" error=3. size=125");
    EXPECT_EQ(fake.files.size(), 1u);
}

TEST(ScalerRun, BrokenOrOversizedInputIsErrorFour) {
    FakeFiles fake;
    fake.files[kMaster100] = {'B', 'M', 0, 0};
    EXPECT_EQ(RunScale(fake, kMaster100, 125).line, kOutput + L" error=4. size=125");
    fake.tooLarge = true;
    EXPECT_EQ(RunScale(fake, kMaster100, 125).error, kBadBitmap);
    EXPECT_FALSE(fake.Has(kOutput));
}

TEST(ScalerRun, OutputThatCannotBeWrittenIsErrorFiveAndLeavesNothing) {
    for (int failing = 0; failing < 3; ++failing) {
        FakeFiles fake;
        fake.files[kMaster100] = Ramp(4, 4);
        fake.files[kOutput] = {9};
        fake.failCreate = failing == 0;
        fake.failWrite = failing == 1;
        fake.failReplace = failing == 2;
        const ScaleResult result = RunScale(fake, kMaster100, 125);
        EXPECT_EQ(result.line, kOutput + L" error=5. size=125") << failing;
        EXPECT_EQ(fake.files.size(), 1u) << "only the master stays; case " << failing;
        EXPECT_TRUE(fake.Has(kMaster100));
    }
}

TEST(ScalerRun, ScaleBeyondTheLimitsIsErrorSixAndRemovesTheTemporaryFile) {
    FakeFiles fake;
    fake.files[kMaster150] = Ramp(375, 45);
    const ScalerInput input = ChooseInput(kFolder, 2000000000);
    const ScaleResult result = RunScale(fake, input.inputName, input.scale);
    EXPECT_EQ(result.error, kScaledSizeOutOfRange);
    EXPECT_EQ(result.line, kOutput + L" error=6. size=1333333333");
    EXPECT_EQ(fake.files.size(), 1u);
}

}  // namespace
}  // namespace scaler
