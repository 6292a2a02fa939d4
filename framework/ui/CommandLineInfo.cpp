#include "framework/ui/CommandLineInfo.h"

namespace cmdline {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> Split(const std::wstring& commandLine) {
    std::vector<std::wstring> args;
    size_t i = 0;
    const size_t n = commandLine.size();

    while (i < n && IsBlank(commandLine[i])) ++i;
    if (i == n) return args;

    // The program name: no escapes, quotes only group.
    std::wstring program;
    if (commandLine[i] == L'"') {
        ++i;
        while (i < n && commandLine[i] != L'"') program += commandLine[i++];
        if (i < n) ++i;
    } else {
        while (i < n && !IsBlank(commandLine[i])) program += commandLine[i++];
    }
    args.push_back(program);

    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) break;
        std::wstring arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            wchar_t c = commandLine[i];
            if (c == L'\\') {
                size_t slashes = 0;
                while (i < n && commandLine[i] == L'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine[i] == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2 == 1) {
                        arg += L'"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
            } else if (c == L'"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += c;
                ++i;
            }
        }
        args.push_back(arg);
    }
    return args;
}

void Parse(const std::vector<std::wstring>& args, CCommandLineInfo& info) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool isSwitch = !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
        const wchar_t* param = arg.c_str() + (isSwitch ? 1 : 0);
        info.ParseParam(param, isSwitch, i + 1 == args.size());
    }
}

}  // namespace cmdline
