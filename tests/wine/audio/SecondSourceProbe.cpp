// second_source_probe.exe <name> <result file>: runs the recorder's own
// SetupSecondSource(name), as start-up calls it, in a process of its own,
// and writes what came of it: "result=<r>\nindex=<i>\n" (UTF-16LE) and one
// "message=<text>" line per box. The recorder's box, pumped wait and exit
// procedure are defined here, so nothing is shown and nothing ends early.

#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/services/ShowMessage.h"
#include "audio/EndpointFormats.h"
#include "audio/EndpointRates.h"

namespace {
std::vector<std::wstring> g_messages;
}  // namespace

int ShowMessage(const std::wstring& text, UINT) {
    g_messages.push_back(text);
    return IDNO;
}

void WaitPumping(DWORD ms) { ::Sleep(ms); }

void CloseProgram() { g_messages.push_back(L"<close>"); }

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: second_source_probe <name> <result file>\n");
        return 2;
    }
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com)) return 3;
    const int result = SetupSecondSource(argv[1]);
    std::wstring report =
        L"result=" + std::to_wstring(result) + L"\nindex=" + std::to_wstring(SecondSourceIndex()) + L"\n";
    for (const std::wstring& m : g_messages) report += L"message=" + m + L"\n";
    // UTF-16LE as it is in memory, so any name comes back unchanged.
    FILE* out = _wfopen(argv[2], L"wb");
    if (!out) return 4;
    const bool written = std::fwrite(report.data(), sizeof(wchar_t), report.size(), out) == report.size();
    if (std::fclose(out) != 0 || !written) return 5;
    ::CoUninitialize();
    return 0;
}
