// ProbeWindowsVersion against the Windows version Wine reports, set for the
// probe program alone (the AppDefaults key of the prefix).

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

std::string ProbeAs(const wchar_t* version) {
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\probe_version.exe";
    win::RegKey reg;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, reg.Put(), nullptr) !=
        ERROR_SUCCESS)
        return "cannot set the version";
    const DWORD bytes = static_cast<DWORD>((std::wcslen(version) + 1) * sizeof(wchar_t));
    ::RegSetValueExW(reg.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes);
    reg.Reset();

    const std::wstring out = driver::ProgramFolder() + L"probe_version.txt";
    ::DeleteFileW(out.c_str());
    driver::Program probe = driver::Program::Start(driver::ProgramFolder() + L"probe_version.exe", L"\"" + out + L"\"");
    DWORD code = 0xFFFFFFFF;
    if (!probe || !probe.WaitForExit(20000, &code) || code != 0) return "probe failed";
    ::RegDeleteKeyW(HKEY_CURRENT_USER, key);
    return ReadAll(out);
}

TEST(ProbeWindowsVersion, ReportsWhatWineIsSetTo) {
    EXPECT_EQ(ProbeAs(L"win10"), "Windows Version: 10.0 (Windows 10)|1|1");
    EXPECT_EQ(ProbeAs(L"win7"), "Windows Version: 6.1 (Windows 7)|1|0");
    // Wine's kernel32 has GetProductInfo at any version, so XP counts as a
    // Vista-era system reporting a compatibility version.
    EXPECT_EQ(ProbeAs(L"winxp"), "Windows Version: 6+|1|0");
}

}  // namespace
