// The per-user settings folder and the shipped init file: first-run copy,
// reset at the first start or by the installer, and "&Restore defaults".

#include <string>

#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"

namespace {

// Beside the program; start-up makes the program folder the current one.
constexpr wchar_t kInitFile[] = L".\\settings_qr_init.ini";

// Puts the init file in place of the settings file through a temporary copy,
// so a failed or cut-short copy leaves the old settings as they were.
// Failures are silent: the settings simply stay.
void CopyInitFileOverSettings() {
    SettingsSystem& system = CurrentSettingsSystem();
    const std::wstring path(TextOf(SettingsPath));
    if (path.empty()) return;
    const std::wstring temp = path + L".tmp";
    if (!system.CopyOneFile(kInitFile, temp, true) || !system.ReplaceFileAtomically(temp, path))
        system.RemoveFile(temp);
}

}  // namespace

bool PrepareSettingsFolder() {
    SettingsSystem& system = CurrentSettingsSystem();
    std::wstring appData;
    if (!system.ApplicationDataFolder(appData)) return false;
    const std::wstring folder = appData + L"\\Telvane 2";
    const std::wstring path = folder + L"\\settings_qr.ini";
    // Paths that do not fit their buffers whole would name other places.
    if (path.size() >= kSettingsPathCapacity) return false;
    CopyText(AppDataFolder, appData);
    CopyText(SettingsFolder, folder);
    if (system.CreateFolder(folder) == FolderResult::Failed) {
        system.ShowMessage(L"Cannot create folder " + folder, MessageButtons::Ok);
        return false;
    }
    CopyText(SettingsPath, path);
    // Never over an existing settings file.
    system.CopyOneFile(kInitFile, path, false);
    // The bitmap scaler works on these copies; a missing master is no error.
    system.CopyOneFile(L".\\bitmap7.bmp", folder + L"\\bitmap7.bmp", true);
    system.CopyOneFile(L".\\bitmap7_100.bmp", folder + L"\\bitmap7_100.bmp", true);
    return true;
}

void ResetSettingsIfNeeded(bool installer) {
    if (Settings.Setup == 1 && !installer) return;
    Settings.Setup = 1;
    CopyInitFileOverSettings();
    ReadSettings();
    // The init file holds 0 there.
    Settings.Setup = 1;
    WriteSettings();
}

bool RestoreDefaults() {
    if (CurrentSettingsSystem().ShowMessage(L"Telvane will close after this\n\nContinue?", MessageButtons::YesNo) !=
        kMessageYes)
        return false;
    CopyInitFileOverSettings();
    return true;
}
