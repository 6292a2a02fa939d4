#pragma once
// The launcher's command line for the recorder: the physical size of the
// first two displays, each value as a switch followed by its number.
// Portable, so the rules are tested natively against the recorder's own
// command-line reader.

#include <string>
#include <vector>

namespace kq {

struct DisplayMode {
    int width = 0;  // physical pixels
    int height = 0;
};

// "/x1 W /y1 H /w1 W" for the first display, then "/x2 W /y2 H /w2 W" for
// the second; further displays and displays of no size are left out (a
// second display of no size leaves its set out). "/installer" is passed on
// at the end when given.
std::vector<std::wstring> RecorderArguments(const std::vector<DisplayMode>& displays, bool installer);

// The arguments as one command-line tail, each separated by one blank.
std::wstring JoinArguments(const std::vector<std::wstring>& args);

// True when the launcher's own arguments (program name first) hold the
// "installer" switch, written with "/" or "-", in any case.
bool HasInstallerSwitch(const std::vector<std::wstring>& args);

}  // namespace kq
