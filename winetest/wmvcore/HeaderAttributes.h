#pragma once
// HeaderAttributes: the header attributes a writer keeps in memory, by
// stream number and name (names compared exactly), each with its type and
// value bytes. Portable.

#include <cstdint>
#include <string>
#include <vector>

namespace wmv {

class HeaderAttributes {
public:
    struct Attribute {
        uint16_t stream;
        std::wstring name;
        int type;
        std::vector<uint8_t> value;
    };

    // Adds the attribute or replaces the one of the same stream and name;
    // false when a new one would make more than a WORD can count.
    bool Set(uint16_t stream, const std::wstring& name, int type, const uint8_t* value, uint16_t length);
    // Null when there is none.
    const Attribute* Find(uint16_t stream, const std::wstring& name) const;
    uint16_t Count(uint16_t stream) const;

private:
    std::vector<Attribute> m_attributes;
};

}  // namespace wmv
