#include "framework/ui/Controls.h"

namespace {

// Reads item `index` of a list or combo box; lengthMsg/textMsg select which.
std::wstring ItemText(const CControl& control, int index, UINT lengthMsg, UINT textMsg) {
    const LRESULT length = control.Send(lengthMsg, static_cast<WPARAM>(index));
    if (length < 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT got = control.Send(textMsg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got < 0) return std::wstring();
    return std::wstring(buffer.data(), static_cast<size_t>(got));
}

}  // namespace

std::wstring CListBox::GetText(int index) const { return ItemText(*this, index, LB_GETTEXTLEN, LB_GETTEXT); }

std::wstring CComboBox::GetLBText(int index) const { return ItemText(*this, index, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
