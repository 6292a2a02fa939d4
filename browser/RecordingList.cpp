#include "browser/RecordingList.h"

#include <array>
#include <cstdio>
#include <cwctype>

namespace {

constexpr std::array<std::wstring_view, 5> kListedTypes = {L"wmv", L"mpg", L"mpeg", L"avi", L"mp4"};

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return lower;
}

template <typename T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

std::wstring RecordingType(std::wstring_view name) {
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring() : std::wstring(name.substr(dot + 1));
}

bool IsListedRecording(std::wstring_view name, bool isFolder) {
    if (isFolder || name == L"." || name == L"..") return false;
    if (name.rfind(L'.') == std::wstring_view::npos) return false;
    const std::wstring type = Lower(RecordingType(name));
    for (std::wstring_view listed : kListedTypes)
        if (type.find(listed) != std::wstring::npos) return true;
    return false;
}

std::wstring RecordingSizeText(std::uint64_t bytes) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.3f", static_cast<double>(bytes) / 1048576.0);
    return text;
}

std::wstring RecordingModifiedText(int month, int day, int hour, int minute) {
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const wchar_t* name = month >= 1 && month <= 12 ? kMonths[month - 1] : L"---";
    wchar_t text[64];
    std::swprintf(text, 64, L"%ls/%02d %02d:%02d", name, day, hour, minute);
    return text;
}

int CompareRecordings(const RecordingItem& a, const RecordingItem& b, RecordingColumn column) {
    switch (column) {
        case RecordingColumn::Name:
            return Order(Lower(a.name), Lower(b.name));
        case RecordingColumn::Type:
            return Order(Lower(a.type), Lower(b.type));
        case RecordingColumn::Size:
            // The whole 64-bit sizes: recordings above 2 GiB are common.
            return Order(a.size, b.size);
        case RecordingColumn::Modified:
            return Order(b.modified, a.modified);
    }
    return 0;
}
