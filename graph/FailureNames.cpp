#include "graph/FailureNames.h"

const wchar_t* AddFilterFailureName(std::uint32_t hr) {
    switch (hr) {
        case 0x8004022Du:
            return L"VFW_E_DUPLICATE_NAME";
        case 0x80004003u:
            return L"E_POINTER";
        case 0x80040295u:
            return L"VFW_E_CERTIFICATION_FAILURE ";
        case 0x8007000Eu:
            return L"E_OUTOFMEMORY";
        case 0x80004005u:
            return L"E_FAIL";
        default:
            return L"";
    }
}
