#include "winetest/wmvcore/XmlElement.h"

namespace wmv {

namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool SameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == L'\0' || FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return b[i] == L'\0';
}

const std::wstring* XmlElement::Attribute(const wchar_t* attributeName) const {
    for (const auto& attribute : attributes)
        if (SameName(attribute.first, attributeName)) return &attribute.second;
    return nullptr;
}

const XmlElement* XmlElement::Child(const wchar_t* childName) const {
    for (const XmlElement& child : children)
        if (SameName(child.name, childName)) return &child;
    return nullptr;
}

}  // namespace wmv
