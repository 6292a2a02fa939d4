#pragma once
// AudioTestDlg: the modal "Audio Setup" dialog (template 427 in
// resources/audiosetup.rc). The window over AudioSetupFlow: it hands the
// flow its check boxes and lists, opens "Windows Sound" and carries a
// minimise or restore through the system menu to the recorder window.

#include <windows.h>

#include <optional>
#include <string>

#include "audio/AudioSetupFlow.h"
#include "framework/ui/Dialog.h"

class AudioTestDlg : public CDialog, private AudioSetupView {
public:
    // recorder: minimised and restored with the dialog (may be null).
    AudioTestDlg(AudioSetupSystem& system, HWND recorder, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override { m_flow.Ok(); }
    void OnCancel() override { m_flow.Cancel(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnSpeakers() { m_flow.SpeakersClicked(); }
    void OnMicrophone() { m_flow.MicrophoneClicked(); }
    void OnSourceChanged() { m_flow.SelectSourceDevice(); }
    void OnSourcesDropDown() { m_flow.DevicesDroppedDown(); }
    void OnInputChanged() { m_flow.SelectInputLine(); }
    void OnRefresh() { m_flow.FillSourceLists(); }
    void OnWindowsSound();
    DECLARE_MESSAGE_MAP()

private:
    bool SpeakersChecked() override;
    void CheckSpeakers(bool checked) override;
    void EnableSpeakers(bool enabled) override;
    bool MicrophoneChecked() override;
    void CheckMicrophone(bool checked) override;
    void EnableMicrophone(bool enabled) override;
    bool ListsPresent() override;
    void EnableLists(bool enabled) override;
    void ClearDevices() override;
    void AddDevice(const std::wstring& name) override;
    bool SelectDevice(const std::wstring& name) override;
    std::optional<std::wstring> SelectedDevice() override;
    std::wstring DeviceText() override;
    void ClearInputs() override;
    void AddInput(const std::wstring& name) override;
    bool SelectInput(const std::wstring& name) override;
    std::optional<std::wstring> SelectedInput() override;
    void Close(int result) override { EndDialog(result); }

    HWND m_recorder;
    AudioSetupFlow m_flow;
};
