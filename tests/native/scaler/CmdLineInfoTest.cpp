// The scaler's command line: four parameters kept, the scale after the
// first "sz" switch, a notice for each extra parameter.

#include "scaler/CmdLineInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace scaler {
namespace {

int ScaleOf(const std::wstring& commandLine, std::vector<int>* tooMany = nullptr) {
    CmdLineInfo info([tooMany](int index) {
        if (tooMany) tooMany->push_back(index);
    });
    cmdline::Parse(cmdline::Split(commandLine), info);
    return info.Scale();
}

TEST(ScalerCmdLine, TheRecordersArguments) {
    EXPECT_EQ(ScaleOf(L"size.exe -sz 125"), 125);
    EXPECT_EQ(ScaleOf(L"\".\\size.exe\"  -sz 150"), 150);
    EXPECT_EQ(ScaleOf(L"size.exe /sz 200"), 200);
}

TEST(ScalerCmdLine, NoScaleIsZero) {
    EXPECT_EQ(ScaleOf(L"size.exe"), 0);
    EXPECT_EQ(ScaleOf(L"size.exe -sz"), 0) << "switch without a value";
    EXPECT_EQ(ScaleOf(L"size.exe sz 125"), 0) << "not a switch";
    EXPECT_EQ(ScaleOf(L"size.exe -x 125"), 0);
    EXPECT_EQ(ScaleOf(L"size.exe -sz abc"), 0);
}

TEST(ScalerCmdLine, FirstSwitchContainingSzWins) {
    EXPECT_EQ(ScaleOf(L"size.exe -q 1 -xsz 130"), 130);
    EXPECT_EQ(ScaleOf(L"size.exe -sz 110 -sz 120"), 110);
    EXPECT_EQ(ScaleOf(L"size.exe -sz 125x"), 125);
    EXPECT_EQ(ScaleOf(L"size.exe -sz 99999999999"), INT_MAX);
}

TEST(ScalerCmdLine, OnlyFourParametersAreKept) {
    std::vector<int> tooMany;
    // The value would be the fifth parameter, which is not kept.
    EXPECT_EQ(ScaleOf(L"size.exe a b c -sz 125 d", &tooMany), 0);
    EXPECT_EQ(tooMany, (std::vector<int>{4, 5}));
    tooMany.clear();
    EXPECT_EQ(ScaleOf(L"size.exe a b -sz 125", &tooMany), 125);
    EXPECT_TRUE(tooMany.empty());
}

TEST(ScalerCmdLine, LongParametersAreCut) {
    CmdLineInfo info;
    const std::wstring longText(150, L'7');
    cmdline::Parse({L"size.exe", L"-sz", longText}, info);
    ASSERT_EQ(info.Stored(), 2);
    EXPECT_EQ(std::wstring(info.At(1).text), std::wstring(99, L'7'));
    EXPECT_TRUE(info.At(0).isSwitch);
    EXPECT_FALSE(info.At(0).isLast);
    EXPECT_TRUE(info.At(1).isLast);
    EXPECT_EQ(info.Scale(), INT_MAX);
}

}  // namespace
}  // namespace scaler
