#pragma once
// What another process holds, counted from outside: its GDI objects and its
// top-level windows.

#include <windows.h>

#include <ostream>

namespace markingtest {

struct RemoteCounts {
    DWORD gdiObjects = 0;
    DWORD windows = 0;
    // False when the GDI table could not be read.
    bool gdiRead = false;
};

// process needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ (a handle
// from CreateProcess has them).
RemoteCounts CountRemote(HANDLE process, DWORD processId);

std::ostream& operator<<(std::ostream& os, const RemoteCounts& c);

}  // namespace markingtest
