#include "scaler/CmdLineInfo.h"

#include "framework/base/LeadingInt.h"

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
        return i + 1 < stored ? LeadingInt(m_params[i + 1].text) : 0;
    }
    return 0;
}

}  // namespace scaler
