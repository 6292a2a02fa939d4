#include "tests/native/naming/FolderNamingSystem.h"

#include <system_error>

#include "settings/SettingsText.h"

namespace fs = std::filesystem;

fs::path PathOf(const std::wstring& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    return fs::path(EncodeUtf8(path));
#endif
}

fs::path PathOf(const fs::path& folder, const std::wstring& name) { return folder / PathOf(name); }

std::wstring WideOf(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return DecodeLine(path.string());
#endif
}

bool FolderNamingSystem::ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) {
    listed.push_back(folder);
    entries.clear();
    std::error_code error;
    fs::directory_iterator it(PathOf(folder), error);
    if (error) return false;
    entries.push_back(FolderEntry{L".", kDirectoryAttribute});
    entries.push_back(FolderEntry{L"..", kDirectoryAttribute});
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) return false;
        // Files as Windows reports fresh ones: FILE_ATTRIBUTE_ARCHIVE.
        const std::uint32_t attributes = it->is_directory() ? kDirectoryAttribute : 0x20;
        entries.push_back(FolderEntry{WideOf(it->path().filename()), attributes});
    }
    return !error;
}
