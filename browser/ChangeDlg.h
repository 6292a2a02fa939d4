#pragma once
// ChangeDlg: the modal "Change Name" dialog of the recordings browser. It
// shows a file name in an edit box, with the hint not to change the
// extension, and gives back what the user typed.

#include <string>

#include "framework/ui/Dialog.h"

class ChangeDlg : public CDialog {
public:
    ChangeDlg(std::wstring name, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // After IDOK: the name in the box.
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
};
