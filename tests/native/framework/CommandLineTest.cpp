#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/ui/CommandLineInfo.h"

namespace {

using Args = std::vector<std::wstring>;

// Records what ParseParam was told, in order.
class RecordingInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) override {
        calls.emplace_back(param, isSwitch, isLast);
    }
    std::vector<std::tuple<std::wstring, bool, bool>> calls;
};

TEST(CommandLineSplit, SeparatesOnBlanksAndKeepsTheProgramName) {
    EXPECT_EQ(cmdline::Split(L"telvane.exe /x1 100\t/y1  -200"),
              (Args{L"telvane.exe", L"/x1", L"100", L"/y1", L"-200"}));
    EXPECT_EQ(cmdline::Split(L""), Args{});
    EXPECT_EQ(cmdline::Split(L"   "), Args{});
    EXPECT_EQ(cmdline::Split(L"  prog.exe   "), Args{L"prog.exe"});
}

TEST(CommandLineSplit, ProgramNameIsTakenLiterally) {
    // No backslash processing in the program name, quotes only group.
    EXPECT_EQ(cmdline::Split(L"\"C:\\Program Files\\Telvane\\telvane.exe\" /installer"),
              (Args{L"C:\\Program Files\\Telvane\\telvane.exe", L"/installer"}));
    EXPECT_EQ(cmdline::Split(L"C:\\dir\\\"odd /a"), (Args{L"C:\\dir\\\"odd", L"/a"}));
}

TEST(CommandLineSplit, QuotesAndBackslashesFollowTheRuntimeRules) {
    EXPECT_EQ(cmdline::Split(L"p \"a b\" c"), (Args{L"p", L"a b", L"c"}));
    EXPECT_EQ(cmdline::Split(L"p a\\\\b"), (Args{L"p", L"a\\\\b"}));        // backslashes alone stay
    EXPECT_EQ(cmdline::Split(L"p a\\\"b"), (Args{L"p", L"a\"b"}));          // \" is a quote
    EXPECT_EQ(cmdline::Split(L"p a\\\\\"b c\""), (Args{L"p", L"a\\b c"}));  // \\" is \ then a group
    EXPECT_EQ(cmdline::Split(L"p \"a\"\"b\""), (Args{L"p", L"a\"b"}));      // "" inside quotes
    EXPECT_EQ(cmdline::Split(L"p \"\""), (Args{L"p", L""}));                // an empty argument
    EXPECT_EQ(cmdline::Split(L"p \"unterminated arg"), (Args{L"p", L"unterminated arg"}));
}

TEST(CommandLineParse, StripsOneSwitchMarkAndFlagsTheLastParameter) {
    RecordingInfo info;
    cmdline::Parse({L"telvane.exe", L"/x1", L"100", L"-w2", L"--odd", L"plain"}, info);
    using Call = std::tuple<std::wstring, bool, bool>;
    ASSERT_EQ(info.calls.size(), 5u);
    EXPECT_EQ(info.calls[0], (Call{L"x1", true, false}));
    EXPECT_EQ(info.calls[1], (Call{L"100", false, false}));
    EXPECT_EQ(info.calls[2], (Call{L"w2", true, false}));
    EXPECT_EQ(info.calls[3], (Call{L"-odd", true, false}));
    EXPECT_EQ(info.calls[4], (Call{L"plain", false, true}));
}

TEST(CommandLineParse, LoneMarksAndEmptyLines) {
    RecordingInfo info;
    cmdline::Parse(cmdline::Split(L"prog / \"\""), info);
    using Call = std::tuple<std::wstring, bool, bool>;
    ASSERT_EQ(info.calls.size(), 2u);
    EXPECT_EQ(info.calls[0], (Call{L"", true, false}));
    EXPECT_EQ(info.calls[1], (Call{L"", false, true}));

    RecordingInfo none;
    cmdline::Parse(cmdline::Split(L"prog"), none);
    cmdline::Parse({}, none);
    EXPECT_TRUE(none.calls.empty());
}

}  // namespace
