#include "scaler/CmdLineInfo.h"

#include <climits>
#include <cwchar>

namespace scaler {

void CmdLineInfo::ParseParam(const wchar_t* param, bool isSwitch, bool isLast) {
    if (m_count >= kMaxParams) {
        if (m_tooMany) m_tooMany(m_count);
    } else {
        Param& entry = m_params[m_count];
        size_t length = std::wcslen(param);
        if (length > kParamCapacity - 1) length = kParamCapacity - 1;
        std::wmemcpy(entry.text, param, length);
        entry.text[length] = L'\0';
        entry.isSwitch = isSwitch;
        entry.isLast = isLast;
    }
    if (m_count < INT_MAX) ++m_count;
}

int CmdLineInfo::Scale() const {
    const int stored = Stored();
    for (int i = 0; i < stored; ++i) {
        if (!m_params[i].isSwitch || !std::wcsstr(m_params[i].text, L"sz")) continue;
        return i + 1 < stored ? LeadingNumber(m_params[i + 1].text) : 0;
    }
    return 0;
}

int LeadingNumber(const wchar_t* text) {
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t' || *p == L'\n' || *p == L'\r' || *p == L'\f' || *p == L'\v') ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
    long long value = 0;
    while (*p >= L'0' && *p <= L'9') {
        value = value * 10 + (*p++ - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

}  // namespace scaler
