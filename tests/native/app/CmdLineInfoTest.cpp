#include <gtest/gtest.h>

#include <string>

#include "app/CmdLineInfo.h"

namespace {

// Feeds a command line the way the framework does.
CmdLineInfo Parse(const std::wstring& commandLine) {
    CmdLineInfo info;
    cmdline::Parse(cmdline::Split(L"telvane.exe " + commandLine), info);
    return info;
}

TEST(CmdLineInfo, KeepsTheFirstTwentyParametersAndCountsAll) {
    std::wstring line;
    for (int i = 0; i < 25; ++i) line += L"p" + std::to_wstring(i) + L" ";
    const CmdLineInfo info = Parse(line);
    EXPECT_EQ(info.Count(), 25);
    EXPECT_EQ(info.Stored(), 20);
    EXPECT_STREQ(info.At(0).text, L"p0");
    EXPECT_STREQ(info.At(19).text, L"p19");
    EXPECT_EQ(info.At(19).isLast, 0);  // the last one was not stored
}

TEST(CmdLineInfo, LongParameterIsCutToItsEntry) {
    const std::wstring longText(300, L'x');
    const CmdLineInfo info = Parse(L"/" + longText + L" 5");
    ASSERT_EQ(info.Stored(), 2);
    EXPECT_EQ(std::wstring(info.At(0).text), std::wstring(99, L'x'));
    EXPECT_EQ(info.At(0).isSwitch, 1);
    EXPECT_STREQ(info.At(1).text, L"5");
    EXPECT_EQ(info.At(1).isLast, 1);
}

TEST(LauncherValues, SwitchesTakeTheNumberThatFollows) {
    const LauncherValues v = ReadLauncherValues(Parse(L"/x1 1920 /y1 1080 -w1 1920 /w2 1280 /x2 7 /y2 -3"));
    EXPECT_EQ(v.x1, 1920);
    EXPECT_EQ(v.y1, 1080);
    EXPECT_EQ(v.w1, 1920);
    EXPECT_EQ(v.w2, 1280);
    EXPECT_EQ(v.x2, 7);
    EXPECT_EQ(v.y2, 3);  // "-3" is a switch to the framework: its sign is gone
    EXPECT_FALSE(v.installer);
}

TEST(LauncherValues, MissingOrOddValuesAreZero) {
    // /w2 last: nothing follows.
    EXPECT_EQ(ReadLauncherValues(Parse(L"/w1 1600 /w2")).w2, 0);
    EXPECT_EQ(ReadLauncherValues(Parse(L"/w1 1600 /w2")).w1, 1600);
    // Not a number; a number with a tail; a value that is itself a switch.
    EXPECT_EQ(ReadLauncherValues(Parse(L"/w1 wide")).w1, 0);
    EXPECT_EQ(ReadLauncherValues(Parse(L"/w1 1366px")).w1, 1366);
    const LauncherValues chained = ReadLauncherValues(Parse(L"/w1 /w2 800"));
    EXPECT_EQ(chained.w1, 0);  // "/w2" is read as text "w2": not a number
    EXPECT_EQ(chained.w2, 800);
    // Names are exact and case-sensitive; only switches count.
    const LauncherValues ignored = ReadLauncherValues(Parse(L"/W1 5 w1 6 /w1x 7 /Installer installer"));
    EXPECT_EQ(ignored.w1, 0);
    EXPECT_FALSE(ignored.installer);
    EXPECT_TRUE(ReadLauncherValues(Parse(L"-installer")).installer);
}

TEST(LauncherValues, ValueBeyondTheStoredTableIsZero) {
    std::wstring line;
    for (int i = 0; i < 19; ++i) line += L"a ";
    line += L"/w1 1024";  // the switch is entry 20, its number entry 21
    const LauncherValues v = ReadLauncherValues(Parse(line));
    EXPECT_EQ(v.w1, 0);
}

}  // namespace
