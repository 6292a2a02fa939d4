#pragma once
// What the browser's "Convert files" hands to the converter ("Zorv
// Converter"), as rules that need no window: where the converter lives,
// whether a selection may go, the list file's text and the command line
// that starts the converter. Portable; ViewDlg reads the registry, the
// short names and the windows.

#include <string>
#include <string_view>
#include <vector>

// The converter folder: the "Directory" value of the converter's registry
// key, or "<program folder>\Zorv Converter Lite" when that is empty.
std::wstring ConverterFolder(std::wstring_view registryDirectory, std::wstring_view programFolder);

// A usable converter folder names a drive: it contains ":\".
bool IsConverterFolder(std::wstring_view folder);

// Whether one of the selected names is part of the path being recorded
// (empty when no recording runs): such a file must not be converted yet.
bool SelectionBeingRecorded(const std::vector<std::wstring>& names, std::wstring_view recordingPath);

// "Convert.txt": each path (already in the system code page) followed by a
// line feed.
std::string ConvertListText(const std::vector<std::string>& paths);

// The converter's program ("<folder>\Zorv Converter.exe" in double quotes)
// and its arguments (-w "Telvane" -dir "<recordings folder>").
struct ConverterCommand {
    std::wstring program;
    std::wstring arguments;
};
ConverterCommand ConverterCommandLine(std::wstring_view converterFolder, std::wstring_view recordingsFolder);
