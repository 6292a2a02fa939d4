#pragma once
// A command line of the Linux shell run from a Windows program under Wine:
// Wine starts Linux programs too. The stand-ins read PulseAudio's state
// through it and the tests change it (sinks loaded and unloaded as devices
// plugged in and out).

#include <windows.h>

#include <string>

// Runs `script` with /bin/sh and gives what it printed (standard output and
// error); false when the shell could not be started or did not finish
// within timeoutMs.
bool RunLinuxShell(const std::string& script, std::string& output, DWORD timeoutMs);
