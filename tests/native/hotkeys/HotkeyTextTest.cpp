// The "Hotkey" setting's text: parsing it for registration and the text
// shown to the user.

#include "settings/HotkeyText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseHotkey, AltWithCodeIsAltA) {
    const ParsedHotkey key = ParseHotkey(L"ALT+65");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.modifier, kHotkeyAlt);
    EXPECT_EQ(key.code, 65);
}

TEST(ParseHotkey, ShiftAndCtrl) {
    ParsedHotkey key = ParseHotkey(L"SHIFT+90");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.modifier, kHotkeyShift);
    EXPECT_EQ(key.code, 90);

    key = ParseHotkey(L"CTRL+112");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.modifier, kHotkeyControl);
    EXPECT_EQ(key.code, 112);
}

TEST(ParseHotkey, ModifierValuesAreTheSystemOnes) {
    EXPECT_EQ(kHotkeyAlt, 1u);
    EXPECT_EQ(kHotkeyControl, 2u);
    EXPECT_EQ(kHotkeyShift, 4u);
}

TEST(ParseHotkey, LowerCaseIsNotRecognised) {
    EXPECT_FALSE(ParseHotkey(L"alt+65").found);
    EXPECT_FALSE(ParseHotkey(L"shift+90").found);
    EXPECT_FALSE(ParseHotkey(L"Ctrl+67").found);
}

TEST(ParseHotkey, EmptyAndUnknownAreNotFound) {
    const ParsedHotkey key = ParseHotkey(L"");
    EXPECT_FALSE(key.found);
    EXPECT_EQ(key.code, 0);
    EXPECT_FALSE(ParseHotkey(L"WIN+65").found);
    EXPECT_FALSE(ParseHotkey(L"65").found);
}

TEST(ParseHotkey, MissingOrOddNumberGivesZero) {
    ParsedHotkey key = ParseHotkey(L"ALT+");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.code, 0);
    key = ParseHotkey(L"SHIFT+Z");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.code, 0);
    key = ParseHotkey(L"CTRL+99999999999999");
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.code, 2147483647);
}

TEST(ParseHotkey, TestsRunAltShiftCtrlAndReadAtThePrefixLength) {
    // "ALT+" is tested first wherever it stands; the number is still read
    // from the fifth character.
    ParsedHotkey key = ParseHotkey(L"CTRL+ALT+65");
    EXPECT_EQ(key.modifier, kHotkeyAlt);
    EXPECT_EQ(key.code, 0);  // "+ALT+65" from the fifth character is no number
    key = ParseHotkey(L"xALT+65");
    EXPECT_EQ(key.modifier, kHotkeyAlt);
    EXPECT_EQ(key.code, 65);  // "+65"
    key = ParseHotkey(L"CTRL+SHIFT+70");
    EXPECT_EQ(key.modifier, kHotkeyShift);
    EXPECT_EQ(key.code, 0);  // "HIFT+70" from the seventh character
}

TEST(ParseHotkey, OnlyTheFirst99CharactersCount) {
    const std::wstring padded = std::wstring(96, L' ') + L"ALT+65";
    EXPECT_FALSE(ParseHotkey(padded).found);
    const std::wstring fits = std::wstring(95, L' ') + L"ALT+";
    EXPECT_TRUE(ParseHotkey(fits).found);
}

TEST(ParseHotkey, DefaultIsShiftZ) {
    const ParsedHotkey key = ParseHotkey(kDefaultHotkeyText);
    EXPECT_TRUE(key.found);
    EXPECT_EQ(key.modifier, kDefaultHotkeyModifier);
    EXPECT_EQ(key.code, kDefaultHotkeyCode);
    EXPECT_EQ(std::wstring(kDefaultHotkeyText), L"SHIFT+90");
}

TEST(HotkeyDisplayText, ShiftNinetyIsShiftZ) {
    std::wstring display;
    ASSERT_TRUE(HotkeyDisplayText(L"SHIFT+90", display));
    EXPECT_EQ(display, L"SHIFT+Z");
    ASSERT_TRUE(HotkeyDisplayText(L"ALT+65", display));
    EXPECT_EQ(display, L"ALT+A");
    ASSERT_TRUE(HotkeyDisplayText(L"CTRL+49", display));
    EXPECT_EQ(display, L"CTRL+1");
}

TEST(HotkeyDisplayText, WithoutPlusThereIsNone) {
    std::wstring display = L"unchanged";
    EXPECT_FALSE(HotkeyDisplayText(L"SHIFT90", display));
    EXPECT_FALSE(HotkeyDisplayText(L"", display));
    EXPECT_EQ(display, L"unchanged");
}

TEST(HotkeyDisplayText, CutRightBehindTheFirstPlus) {
    std::wstring display;
    ASSERT_TRUE(HotkeyDisplayText(L"A+66+67", display));
    EXPECT_EQ(display, L"A+B");
    ASSERT_TRUE(HotkeyDisplayText(L"+90", display));
    EXPECT_EQ(display, L"+Z");
}

TEST(HotkeyDisplayText, NumberThatIsNoCharacterAddsNothing) {
    std::wstring display;
    ASSERT_TRUE(HotkeyDisplayText(L"SHIFT+", display));
    EXPECT_EQ(display, L"SHIFT+");
    ASSERT_TRUE(HotkeyDisplayText(L"SHIFT+0", display));
    EXPECT_EQ(display, L"SHIFT+");
    ASSERT_TRUE(HotkeyDisplayText(L"SHIFT+-5", display));
    EXPECT_EQ(display, L"SHIFT+");
    ASSERT_TRUE(HotkeyDisplayText(L"SHIFT+70000", display));
    EXPECT_EQ(display, L"SHIFT+");
}

TEST(HotkeyDisplayText, OnlyTheFirst99CharactersCount) {
    std::wstring display;
    EXPECT_FALSE(HotkeyDisplayText(std::wstring(99, L'x') + L"+90", display));
    ASSERT_TRUE(HotkeyDisplayText(std::wstring(98, L'x') + L"+90", display));
    EXPECT_EQ(display, std::wstring(98, L'x') + L"+");
}

}  // namespace
