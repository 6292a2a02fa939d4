#include "app/CmdLineInfo.h"

#include "framework/base/LeadingInt.h"

#include <climits>
#include <cwchar>
#include <string_view>

void CmdLineInfo::ParseParam(const wchar_t* param, bool isSwitch, bool isLast) {
    if (m_count < kMaxParams) {
        Param& entry = m_params[m_count];
        size_t length = std::wcslen(param);
        if (length > kParamCapacity - 1) length = kParamCapacity - 1;
        std::wmemcpy(entry.text, param, length);
        entry.text[length] = L'\0';
        entry.isSwitch = isSwitch ? 1 : 0;
        entry.isLast = isLast ? 1 : 0;
    }
    if (m_count < INT_MAX) ++m_count;
}

LauncherValues ReadLauncherValues(const CmdLineInfo& info) {
    LauncherValues values;
    const int stored = info.Stored();
    for (int i = 0; i < stored; ++i) {
        const CmdLineInfo::Param& param = info.At(i);
        if (!param.isSwitch) continue;
        const std::wstring_view name(param.text);
        if (name == L"installer") {
            values.installer = true;
            continue;
        }
        int* target = nullptr;
        if (name == L"x1")
            target = &values.x1;
        else if (name == L"y1")
            target = &values.y1;
        else if (name == L"x2")
            target = &values.x2;
        else if (name == L"y2")
            target = &values.y2;
        else if (name == L"w1")
            target = &values.w1;
        else if (name == L"w2")
            target = &values.w2;
        if (target) *target = i + 1 < stored ? LeadingInt(info.At(i + 1).text) : 0;
    }
    return values;
}
