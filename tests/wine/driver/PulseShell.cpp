#include "tests/wine/driver/PulseShell.h"

#include <windows.h>

#include <cstdio>

#include "winetest/linuxshell/LinuxShell.h"

std::string RunShell(const std::string& script) {
    std::string out;
    return RunLinuxShell(script, out, 10000) ? out : "no output";
}

void UnloadSink(const char* name) {
    char script[512];
    std::snprintf(script, sizeof script,
                  "pactl unload-module $(pactl list short modules | awk '$2 == \\\"module-null-sink\\\" && $3 == "
                  "\\\"sink_name=%s\\\" { print $1 }')",
                  name);
    RunShell(script);
}

void LoadSink(const char* name, const char* description) {
    char script[512];
    std::snprintf(script, sizeof script,
                  "pactl load-module module-null-sink sink_name=%s rate=48000 sink_properties=device.description=%s; "
                  "pactl set-default-sink speakers; pactl set-default-source micsink.monitor",
                  name, description);
    RunShell(script);
}
