#pragma once
// CCommandLineInfo and the command-line splitting behind
// CWinApp::ParseCommandLine. Portable: no Win32 here, so the rules are
// tested natively.

#include <string>
#include <vector>

class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;

    // Called once per parameter after the program name, in order. A leading
    // "/" or "-" is stripped and reported as isSwitch; isLast marks the final
    // parameter.
    virtual void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) {
        (void)param;
        (void)isSwitch;
        (void)isLast;
    }
};

namespace cmdline {

// Splits a whole command line (program name first) into arguments the way
// the Windows C runtime does: white space separates, double quotes group,
// 2n backslashes before a quote give n backslashes and a quote toggle,
// 2n+1 give n backslashes and a literal quote, "" inside quotes is a quote.
// The program name is taken as it stands: quoted or up to white space, with
// no backslash processing.
std::vector<std::wstring> Split(const std::wstring& commandLine);

// Feeds args[1..] to info.ParseParam with the switch and last flags.
void Parse(const std::vector<std::wstring>& args, CCommandLineInfo& info);

}  // namespace cmdline
