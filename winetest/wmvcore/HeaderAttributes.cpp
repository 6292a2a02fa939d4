#include "winetest/wmvcore/HeaderAttributes.h"

#include <utility>

namespace wmv {

bool HeaderAttributes::Set(uint16_t stream, const std::wstring& name, int type, const uint8_t* value, uint16_t length) {
    std::vector<uint8_t> bytes(value, value + length);
    for (Attribute& attribute : m_attributes) {
        if (attribute.stream == stream && attribute.name == name) {
            attribute.type = type;
            attribute.value.swap(bytes);
            return true;
        }
    }
    if (m_attributes.size() >= UINT16_MAX) return false;
    m_attributes.push_back(Attribute{stream, name, type, std::move(bytes)});
    return true;
}

const HeaderAttributes::Attribute* HeaderAttributes::Find(uint16_t stream, const std::wstring& name) const {
    for (const Attribute& attribute : m_attributes)
        if (attribute.stream == stream && attribute.name == name) return &attribute;
    return nullptr;
}

uint16_t HeaderAttributes::Count(uint16_t stream) const {
    uint16_t count = 0;
    for (const Attribute& attribute : m_attributes)
        if (attribute.stream == stream) ++count;
    return count;
}

}  // namespace wmv
