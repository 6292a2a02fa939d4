#include "browser/ConvertRequest.h"

namespace {

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

}  // namespace

std::wstring ConverterFolder(std::wstring_view registryDirectory, std::wstring_view programFolder) {
    if (!registryDirectory.empty()) return std::wstring(registryDirectory);
    return std::wstring(programFolder) + L"\\Zorv Converter Lite";
}

bool IsConverterFolder(std::wstring_view folder) { return folder.find(L":\\") != std::wstring_view::npos; }

bool SelectionBeingRecorded(const std::vector<std::wstring>& names, std::wstring_view recordingPath) {
    if (recordingPath.empty()) return false;
    for (const std::wstring& name : names)
        if (!name.empty() && recordingPath.find(name) != std::wstring_view::npos) return true;
    return false;
}

std::string ConvertListText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += path + "\n";
    return text;
}

ConverterCommand ConverterCommandLine(std::wstring_view converterFolder, std::wstring_view recordingsFolder) {
    return {Quoted(std::wstring(converterFolder) + L"\\Zorv Converter.exe"),
            L"-w " + Quoted(L"Telvane") + L" -dir " + Quoted(recordingsFolder)};
}
