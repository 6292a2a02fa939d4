#include "companions/kq/LauncherArgs.h"

#include <cwctype>

namespace kq {

namespace {

void AddDisplay(std::vector<std::wstring>& args, int number, const DisplayMode& mode) {
    const std::wstring n = std::to_wstring(number);
    args.insert(args.end(), {L"/x" + n, std::to_wstring(mode.width), L"/y" + n, std::to_wstring(mode.height), L"/w" + n,
                             std::to_wstring(mode.width)});
}

bool SameLetters(const std::wstring& text, const wchar_t* word) {
    std::size_t i = 0;
    for (; word[i]; ++i)
        if (i >= text.size() || static_cast<wchar_t>(std::towlower(text[i])) != word[i]) return false;
    return i == text.size();
}

}  // namespace

std::vector<std::wstring> RecorderArguments(const std::vector<DisplayMode>& displays, bool installer) {
    std::vector<std::wstring> args;
    for (std::size_t i = 0; i < displays.size() && i < 2; ++i) {
        if (displays[i].width <= 0 || displays[i].height <= 0) break;
        AddDisplay(args, static_cast<int>(i) + 1, displays[i]);
    }
    if (installer) args.push_back(L"/installer");
    return args;
}

std::wstring JoinArguments(const std::vector<std::wstring>& args) {
    std::wstring line;
    for (const std::wstring& arg : args) {
        if (!line.empty()) line += L' ';
        line += arg;
    }
    return line;
}

bool HasInstallerSwitch(const std::vector<std::wstring>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-') && SameLetters(arg.substr(1), L"installer"))
            return true;
    }
    return false;
}

}  // namespace kq
