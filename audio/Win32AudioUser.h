#pragma once
// AudioUser over the recorder: its message box, shell starts, the pumped
// wait and the recorder window's exit procedure. WaitPumping and
// CloseProgram come with the program that links this (app/).

#include "audio/EndpointSeams.h"

class Win32AudioUser final : public AudioUser {
public:
    int ShowMessage(const std::wstring& text, bool yesNo) override;
    void OpenFile(const std::wstring& file) override;
    void WaitPumping(unsigned ms) override;
    void StartOpenFileThread(const std::wstring& file) override;
    void StartMessageThread(const std::wstring& text) override;
    void CloseProgram() override;
};
