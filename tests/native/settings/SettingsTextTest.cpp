// UTF-8 and the byte-per-character fallback, bounded copies, and the
// lenient reading of numbers.

#include "settings/SettingsText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>

TEST(DecodeLineTest, Utf8WhenValidOtherwiseOneCharacterPerByte) {
    EXPECT_EQ(DecodeLine("Size: 100"), L"Size: 100");
    EXPECT_EQ(DecodeLine("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xE5\xBD\x95\xE9\x9F\xB3"),
              L"\u0418\u0432\u0430\u043d \u5f55\u97f3");
    EXPECT_EQ(DecodeLine("\xF0\x9F\x8E\xA5"), L"\U0001F3A5");
    // Not UTF-8: a lone Latin-1 byte, an overlong form, an encoded surrogate,
    // a value past U+10FFFF, a stray continuation byte.
    EXPECT_EQ(DecodeLine("M\xFCller"), L"M\u00fcller");
    EXPECT_EQ(DecodeLine("\xC0\xAF"), L"\u00c0\u00af");
    EXPECT_EQ(DecodeLine("\xED\xA0\x80"), L"\u00ed\u00a0\u0080");
    EXPECT_EQ(DecodeLine("\xF4\x90\x80\x80"), L"\u00f4\u0090\u0080\u0080");
    EXPECT_EQ(DecodeLine("ok \x80"), L"ok \u0080");
    // One invalid byte turns the whole line to bytes, valid pairs included.
    EXPECT_EQ(DecodeLine("\xC3\xBC \xFC"), L"\u00c3\u00bc \u00fc");
}

TEST(DecodeLineTest, ASequenceCutShortCountsOnlyAtTheEndOfACutLine) {
    EXPECT_EQ(DecodeLine("ab\xE5\xBD", true), L"ab");
    EXPECT_EQ(DecodeLine("ab\xE5\xBD", false), L"ab\u00e5\u00bd");
    EXPECT_EQ(DecodeLine("\xE5\xBD"
                         "x",
                         true),
              L"\u00e5\u00bdx");
}

TEST(EncodeUtf8Test, EncodesEveryLengthAndReplacesWhatIsNoCharacter) {
    EXPECT_EQ(EncodeUtf8(L"A\u00fc\u5f55\U0001F3A5"), "A\xC3\xBC\xE5\xBD\x95\xF0\x9F\x8E\xA5");
    std::wstring lone;
    lone.push_back(static_cast<wchar_t>(0xD800));
    lone.push_back(L'x');
    EXPECT_EQ(EncodeUtf8(lone), "\xEF\xBF\xBDx");
    EXPECT_EQ(DecodeLine(EncodeUtf8(L"\u0416\U0001F3A5 ok")), L"\u0416\U0001F3A5 ok");
}

TEST(CopyTextTest, CutsToTheCapacityAndAlwaysTerminates) {
    wchar_t buffer[5];
    EXPECT_TRUE(CopyText(buffer, L"abcd"));
    EXPECT_EQ(TextOf(buffer), L"abcd");
    EXPECT_FALSE(CopyText(buffer, L"abcdef"));
    EXPECT_EQ(TextOf(buffer), L"abcd");
    EXPECT_TRUE(CopyText(buffer, L""));
    EXPECT_EQ(TextOf(buffer), L"");
    // A pair that does not fit whole is left out whole.
    EXPECT_EQ(CopyText(buffer, L"abc\U0001F3A5"), sizeof(wchar_t) != 2);
    EXPECT_EQ(TextOf(buffer), sizeof(wchar_t) == 2 ? L"abc" : L"abc\U0001F3A5");
}

TEST(TextOfTest, StopsAtTheBufferEndWithoutAZero) {
    wchar_t buffer[3] = {L'a', L'b', L'c'};
    EXPECT_EQ(TextOf(buffer), L"abc");
}

TEST(LeadingRealTest, PlainDecimalNumbersOnly) {
    EXPECT_FLOAT_EQ(LeadingReal(L"25.00"), 25.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L" 29.97fps"), 29.97f);
    EXPECT_FLOAT_EQ(LeadingReal(L"-3.5"), -3.5f);
    EXPECT_FLOAT_EQ(LeadingReal(L".5"), 0.5f);
    EXPECT_FLOAT_EQ(LeadingReal(L"7."), 7.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"1.5e1x"), 15.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"2e"), 2.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"0.00"), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"abc"), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"."), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"inf"), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"nan"), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"0x10"), 0.0f);
    EXPECT_FLOAT_EQ(LeadingReal(L"1e999"), FLT_MAX);
    EXPECT_FLOAT_EQ(LeadingReal(L"-1e39"), -FLT_MAX);
    EXPECT_FLOAT_EQ(LeadingReal(std::wstring(3000, L'0') + L"12.5"), 12.5f);
    EXPECT_FLOAT_EQ(LeadingReal(std::wstring(3000, L'9')), FLT_MAX);
}
