#include <gtest/gtest.h>

#include "app/services/WindowsVersion.h"

namespace {

TEST(WindowsVersion, FriendlyNamesAndFlags) {
    struct Case {
        int major, minor;
        bool productInfo;
        const wchar_t* text;
        bool vista, not7;
    } cases[] = {
        {10, 0, true, L"Windows Version: 10.0 (Windows 10)", true, true},
        {6, 3, true, L"Windows Version: 6.3 (Windows 8.1)", true, true},
        {6, 2, true, L"Windows Version: 6.2 (Windows 8)", true, true},
        {6, 1, true, L"Windows Version: 6.1 (Windows 7)", true, false},
        {6, 0, true, L"Windows Version: 6.0 (Windows Vista)", true, true},
        {5, 2, false, L"Windows Version: 5.2 (Windows XP 64 bit)", false, false},
        {5, 1, false, L"Windows Version: 5.1 (Windows XP)", false, false},
        {5, 0, false, L"Windows Version: 5.0 (Windows 2000)", false, false},
        {4, 0, false, L"Windows Version: 4.0", false, false},
        // A Vista-era system reporting a compatibility version.
        {5, 1, true, L"Windows Version: 6+", true, false},
    };
    for (const Case& c : cases) {
        const WindowsVersion v = ClassifyWindowsVersion(c.major, c.minor, c.productInfo);
        EXPECT_EQ(v.versionText, c.text) << c.major << "." << c.minor;
        EXPECT_EQ(v.vistaOrLater, c.vista) << c.major << "." << c.minor;
        EXPECT_EQ(v.notWindows7, c.not7) << c.major << "." << c.minor;
    }
}

TEST(WindowsVersion, TheTextIsTestedForNumbersInOrder) {
    // "10" anywhere in the text wins, as the names are tested on the text.
    EXPECT_EQ(ClassifyWindowsVersion(6, 10, true).versionText, L"Windows Version: 6.10 (Windows 10)");
    EXPECT_EQ(ClassifyWindowsVersion(11, 0, true).versionText, L"Windows Version: 11.0");
}

}  // namespace
