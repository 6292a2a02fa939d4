#include "app/services/WindowsVersion.h"

#include <cwchar>

WindowsVersion ClassifyWindowsVersion(int major, int minor, bool hasGetProductInfo) {
    WindowsVersion v;
    v.vistaOrLater = major > 5 || hasGetProductInfo;

    wchar_t text[100];
    if (major > 5 || !hasGetProductInfo)
        std::swprintf(text, 100, L"Windows Version: %d.%d", major, minor);
    else
        std::swprintf(text, 100, L"Windows Version: 6+");
    v.versionText = text;
    v.notWindows7 = v.vistaOrLater && major > 5 && minor != 1;

    // Tested in this order on the text, so "10" wins over everything else.
    static const struct {
        const wchar_t* number;
        const wchar_t* name;
    } kNames[] = {
        {L"10", L" (Windows 10)"},  {L"6.3", L" (Windows 8.1)"},   {L"6.2", L" (Windows 8)"},
        {L"6.1", L" (Windows 7)"},  {L"6.0", L" (Windows Vista)"}, {L"5.2", L" (Windows XP 64 bit)"},
        {L"5.1", L" (Windows XP)"}, {L"5.0", L" (Windows 2000)"},
    };
    for (const auto& entry : kNames) {
        if (v.versionText.find(entry.number) != std::wstring::npos) {
            v.versionText += entry.name;
            break;
        }
    }
    if (v.versionText.size() > 99) v.versionText.resize(99);
    return v;
}
