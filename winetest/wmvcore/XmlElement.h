#pragma once
// XmlElement: a profile's XML as plain data, read once out of the parser's
// document: element names, attributes in document order and child elements.
// Character data between elements is not kept (the video-only profile has a
// line of it that configures nothing). Names are matched without regard to
// ASCII case, as the runtime's profile parser does ("wFormatTag" next to
// "bitrate"). Portable.

#include <string>
#include <utility>
#include <vector>

namespace wmv {

bool SameName(const std::wstring& a, const wchar_t* b);

struct XmlElement {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::vector<XmlElement> children;

    // The attribute's value, or null when the element has none of that name.
    const std::wstring* Attribute(const wchar_t* attributeName) const;
    // The first child element of that name, or null.
    const XmlElement* Child(const wchar_t* childName) const;
};

}  // namespace wmv
