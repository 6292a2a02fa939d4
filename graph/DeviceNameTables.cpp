#include "graph/DeviceNameTables.h"

#include "settings/SettingsText.h"

NameTable DeviceNames;
NameTable InputPinNames;
NameTable OutputPinNames;

bool NameTable::Add(std::wstring_view name) {
    if (Full()) return false;
    CopyText(m_names[m_count], kNameTableTextCapacity, name);
    ++m_count;
    return true;
}

std::wstring_view NameTable::Name(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_count) return {};
    return TextOf(m_names[index]);
}

const wchar_t* NameTable::Text(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_count) return L"";
    return m_names[index];
}

DeviceSearchRule DeviceFilterRule(std::wstring_view name) {
    return name == L"Video Renderer" ? DeviceSearchRule::SecondBind : DeviceSearchRule::LastMatch;
}

bool DeviceSearch::Bound(bool succeeded) {
    if (m_done) return false;
    switch (m_rule) {
        case DeviceSearchRule::LastMatch:
            return true;
        case DeviceSearchRule::SecondBind:
            if (succeeded && ++m_successfulBinds == 2) m_done = true;
            return true;
        case DeviceSearchRule::FirstBind:
            m_done = succeeded;
            return succeeded;
    }
    return false;
}

std::optional<std::size_t> ChoosePinByName(const std::vector<PinFacts>& pins, int direction, std::wstring_view name) {
    for (std::size_t i = 0; i < pins.size(); ++i) {
        const PinFacts& pin = pins[i];
        if (pin.directionKnown && pin.direction == direction && pin.nameKnown && pin.name == name) return i;
    }
    if (pins.empty()) return std::nullopt;
    return pins.size() - 1;
}

std::optional<std::size_t> ChooseNthPin(const std::vector<PinFacts>& pins, int direction, int index) {
    if (index < 0) return std::nullopt;
    int seen = 0;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        if (!pins[i].directionKnown || pins[i].direction != direction) continue;
        if (seen++ == index) return i;
    }
    return std::nullopt;
}
