#pragma once
// Parses XML text with MSXML (DOMDocument, msxml3 in Wine) into an
// XmlElement tree.

#include <windows.h>

#include "winetest/wmvcore/XmlElement.h"

namespace wmv {

// kInvalidProfile when the text is not well-formed XML, has no root element
// or nests deeper than a profile ever does; another error when MSXML cannot
// be created.
HRESULT ParseXml(const wchar_t* text, size_t length, XmlElement& root);

}  // namespace wmv
