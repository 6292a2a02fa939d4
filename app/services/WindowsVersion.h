#pragma once
// Which Windows we run on, from the numbers the version call reports.

#include <string>

struct WindowsVersion {
    bool vistaOrLater = false;
    // Vista, 8, 8.1, 10 and later: everything from Vista on but Windows 7.
    bool notWindows7 = false;
    // "Windows Version: 6.1 (Windows 7)"; at most 99 characters.
    std::wstring versionText;
};

// hasGetProductInfo: kernel32 exports "GetProductInfo" (only asked when the
// major version is 5 or below, where it means a Vista-era system reporting
// a compatibility version).
WindowsVersion ClassifyWindowsVersion(int major, int minor, bool hasGetProductInfo);
