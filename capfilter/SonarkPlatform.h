#pragma once
// The few things of the system the capture stream reaches for, behind one
// replaceable table so that tests can script the audio endpoints and see
// the messages without a real device or a modal box: the device
// enumerator, the "Sonark Message" boxes, the shell start of the setup
// batch file and the end of the host process.

#include <windows.h>

#include <mmdeviceapi.h>

namespace sonark {

struct Platform {
    // Creates the MMDevice enumerator (CLSID_MMDeviceEnumerator by default).
    HRESULT (*createEnumerator)(IMMDeviceEnumerator** out);
    // Modal boxes: no owner, caption "Sonark Message", warning icon,
    // task-modal, topmost. The 8-bit texts go through messageA.
    void (*messageA)(const char* text);
    void (*messageW)(const wchar_t* text);
    // Opens a file with the shell verb "open", shown normally.
    void (*openShell)(const wchar_t* file);
    // Ends the host process.
    void (*endProcess)(UINT exitCode);
};

// The table in use; tests replace entries before any stream runs.
Platform& CurrentPlatform();
// The real implementations.
const Platform& SystemPlatform();

// The messages shown at most once per process may show again; for tests.
void ResetOneShotMessages();

}  // namespace sonark
