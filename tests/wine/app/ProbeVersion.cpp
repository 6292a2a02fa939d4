// Writes what ProbeWindowsVersion finds to the file named by its argument:
// "<VersionText>|<VistaOrLater>|<NotWindows7>". The Wine test runs it with
// the prefix's version setting changed for this program only.

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    ProbeWindowsVersion();
    const Environment& env = Env();
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 3;
    std::fprintf(out, "%ls|%d|%d", env.VersionText.c_str(), env.VistaOrLater ? 1 : 0, env.NotWindows7 ? 1 : 0);
    std::fclose(out);
    return 0;
}
