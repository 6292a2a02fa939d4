#pragma once
// The platform's PulseAudio from a Windows test program: Wine starts Linux
// programs too, so a test unloads and loads sinks with pactl as a user
// plugs devices in and out.

#include <string>

// Runs a command line of the Linux shell; what it printed.
std::string RunShell(const std::string& script);
// Unloads the null sink `name` (module-rescue-streams moves its streams).
void UnloadSink(const char* name);
// Loads the null sink `name` as the platform has it (48000 Hz, `description`)
// and puts PulseAudio's defaults back: sink "speakers", source "micsink.monitor".
void LoadSink(const char* name, const char* description);
