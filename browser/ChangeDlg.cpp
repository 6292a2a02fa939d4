#include "browser/ChangeDlg.h"

#include <utility>

#include "browser/ViewDlgIds.h"
#include "framework/ui/Controls.h"

namespace {

// The longest name the box takes; a folder path and the name together stay
// below the file system's limit.
constexpr UINT kNameLimit = 255;

}  // namespace

ChangeDlg::ChangeDlg(std::wstring name, CWnd* parent) : CDialog(IDD_CHANGE_NAME, parent), m_name(std::move(name)) {}

BOOL ChangeDlg::OnInitDialog() {
    CEdit box(*this, IDC_CHANGE_NAME_EDIT);
    box.SetLimitText(kNameLimit);
    box.SetWindowText(m_name);
    return TRUE;
}

void ChangeDlg::OnOK() {
    m_name = GetDlgItemText(IDC_CHANGE_NAME_EDIT);
    CDialog::OnOK();
}
