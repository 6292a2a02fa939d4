#include "audio/AudioTestDlg.h"

// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "audio/AudioTestDlgIds.h"
#include "framework/ui/Controls.h"
#include "settings/Settings.h"

namespace {

// Selects the entry of a combo box whose text equals name exactly (the
// box's own search ignores case); false when none does.
bool SelectExact(const CComboBox& box, const std::wstring& name) {
    const int count = box.GetCount();
    for (int i = 0; i < count; ++i)
        if (box.GetLBText(i) == name) return box.SetCurSel(i) >= 0;
    return false;
}

std::optional<std::wstring> Selected(const CComboBox& box) {
    const int index = box.GetCurSel();
    if (index < 0) return std::nullopt;
    return box.GetLBText(index);
}

}  // namespace

BEGIN_MESSAGE_MAP(AudioTestDlg, CDialog)
ON_BN_CLICKED(IDC_AUDIO_SPEAKERS, OnSpeakers)
ON_BN_CLICKED(IDC_AUDIO_MICROPHONE, OnMicrophone)
ON_CBN_SELCHANGE(IDC_AUDIO_SOURCES, OnSourceChanged)
ON_CONTROL(CBN_DROPDOWN, IDC_AUDIO_SOURCES, OnSourcesDropDown)
ON_CBN_SELCHANGE(IDC_AUDIO_INPUTS, OnInputChanged)
ON_BN_CLICKED(IDC_AUDIO_REFRESH, OnRefresh)
ON_BN_CLICKED(IDC_AUDIO_WINDOWS_SOUND, OnWindowsSound)
END_MESSAGE_MAP()

AudioTestDlg::AudioTestDlg(AudioSetupSystem& system, HWND recorder, CWnd* parent)
    : CDialog(IDD_AUDIO_SETUP, parent), m_recorder(recorder), m_flow(Settings, *this, system) {}

BOOL AudioTestDlg::OnInitDialog() {
    SetDlgItemText(IDC_AUDIO_INSTRUCTION, kAudioSetupInstruction);
    ShowWindow(SW_SHOW);
    m_flow.Start();
    return TRUE;
}

LRESULT AudioTestDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && m_recorder) {
        const UINT command = static_cast<UINT>(wParam & 0xFFF0);
        if (command == SC_MINIMIZE) ::ShowWindow(m_recorder, SW_MINIMIZE);
        if (command == SC_RESTORE) ::ShowWindow(m_recorder, SW_RESTORE);
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void AudioTestDlg::OnWindowsSound() {
    ::ShellExecuteW(nullptr, L"open", L".\\sound.bat", nullptr, nullptr, SW_SHOWNORMAL);
}

bool AudioTestDlg::SpeakersChecked() { return IsDlgButtonChecked(IDC_AUDIO_SPEAKERS) == BST_CHECKED; }
void AudioTestDlg::CheckSpeakers(bool checked) {
    CheckDlgButton(IDC_AUDIO_SPEAKERS, checked ? BST_CHECKED : BST_UNCHECKED);
}
void AudioTestDlg::EnableSpeakers(bool enabled) { EnableDlgItem(IDC_AUDIO_SPEAKERS, enabled); }
bool AudioTestDlg::MicrophoneChecked() { return IsDlgButtonChecked(IDC_AUDIO_MICROPHONE) == BST_CHECKED; }
void AudioTestDlg::CheckMicrophone(bool checked) {
    CheckDlgButton(IDC_AUDIO_MICROPHONE, checked ? BST_CHECKED : BST_UNCHECKED);
}
void AudioTestDlg::EnableMicrophone(bool enabled) { EnableDlgItem(IDC_AUDIO_MICROPHONE, enabled); }

bool AudioTestDlg::ListsPresent() {
    return GetDlgItem(IDC_AUDIO_SOURCES) != nullptr && GetDlgItem(IDC_AUDIO_INPUTS) != nullptr;
}
void AudioTestDlg::EnableLists(bool enabled) {
    EnableDlgItem(IDC_AUDIO_SOURCES, enabled);
    EnableDlgItem(IDC_AUDIO_INPUTS, enabled);
}

void AudioTestDlg::ClearDevices() { CComboBox(*this, IDC_AUDIO_SOURCES).ResetContent(); }
void AudioTestDlg::AddDevice(const std::wstring& name) { CComboBox(*this, IDC_AUDIO_SOURCES).AddString(name); }
bool AudioTestDlg::SelectDevice(const std::wstring& name) {
    return SelectExact(CComboBox(*this, IDC_AUDIO_SOURCES), name);
}
std::optional<std::wstring> AudioTestDlg::SelectedDevice() { return Selected(CComboBox(*this, IDC_AUDIO_SOURCES)); }
std::wstring AudioTestDlg::DeviceText() { return GetDlgItemText(IDC_AUDIO_SOURCES); }

void AudioTestDlg::ClearInputs() { CComboBox(*this, IDC_AUDIO_INPUTS).ResetContent(); }
void AudioTestDlg::AddInput(const std::wstring& name) { CComboBox(*this, IDC_AUDIO_INPUTS).AddString(name); }
bool AudioTestDlg::SelectInput(const std::wstring& name) {
    return SelectExact(CComboBox(*this, IDC_AUDIO_INPUTS), name);
}
std::optional<std::wstring> AudioTestDlg::SelectedInput() { return Selected(CComboBox(*this, IDC_AUDIO_INPUTS)); }
