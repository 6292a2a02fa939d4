#pragma once
// The name tables the filter and pin lookups fill, and the rules by which a
// lookup picks one device or pin among several. Portable: the DirectShow
// code feeds these the names it reads, so the rules are tested natively.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t kNameTableEntries = 11;
// Characters per entry, the terminating zero included.
constexpr std::size_t kNameTableTextCapacity = 1000;

// Up to 11 names of at most 999 characters each, with their count.
class NameTable {
public:
    // Forgets the names (the count goes to 0).
    void Clear() { m_count = 0; }
    int Count() const { return static_cast<int>(m_count); }
    bool Full() const { return m_count >= kNameTableEntries; }

    // Stores name at the count's index and counts it. A longer name keeps
    // its first 999 characters (fewer only where that would split a UTF-16
    // surrogate pair). False, storing nothing, when all 11 entries are taken.
    bool Add(std::wstring_view name);

    // The stored name at index; empty outside 0..Count()-1.
    std::wstring_view Name(int index) const;
    // The same as a terminated string, for log formats; "" outside the count.
    const wchar_t* Text(int index) const;
    // Every stored name, in order.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < Count(); ++i) names.emplace_back(Name(i));
        return names;
    }

private:
    wchar_t m_names[kNameTableEntries][kNameTableTextCapacity] = {};
    std::size_t m_count = 0;
};

// The devices of the last ListCategoryDevices (FindDeviceFilter empties it).
extern NameTable DeviceNames;
// The pins of the last ListPinNames of each direction.
extern NameTable InputPinNames;
extern NameTable OutputPinNames;

// How a search by friendly name chooses among devices of the same name.
enum class DeviceSearchRule {
    // Every matching device is bound and its bind, even a failed one,
    // replaces the result: the last matching device wins.
    LastMatch,
    // The system registers two filters named "Video Renderer": matching
    // binds replace the result as above, and the second successful bind
    // ends the search.
    SecondBind,
    // The first matching device whose bind succeeds ends the search.
    FirstBind,
};

// FindDeviceFilter's rule for a name: SecondBind for "Video Renderer",
// LastMatch for every other.
DeviceSearchRule DeviceFilterRule(std::wstring_view name);

// One search over a category's devices in enumeration order:
//   for each device, while !Done(): if Matches(its name), bind it and, when
//   Bound(bind succeeded) says so, make the bound filter (empty after a
//   failed bind) the result.
class DeviceSearch {
public:
    DeviceSearch(std::wstring_view wanted, DeviceSearchRule rule) : m_wanted(wanted), m_rule(rule) {}

    // Exact, case-sensitive comparison of whole names.
    bool Matches(std::wstring_view friendlyName) const { return friendlyName == m_wanted; }
    // Reports the bind of a matching device; true when its outcome becomes
    // the result.
    bool Bound(bool succeeded);
    bool Done() const { return m_done; }

private:
    std::wstring m_wanted;
    DeviceSearchRule m_rule;
    int m_successfulBinds = 0;
    bool m_done = false;
};

// Pin directions as DirectShow numbers them.
constexpr int kPinInput = 0;
constexpr int kPinOutput = 1;

// What a lookup could read of one pin, in enumeration order.
struct PinFacts {
    bool directionKnown = false;
    int direction = kPinInput;
    bool nameKnown = false;
    std::wstring name;
};

// GetPinByName's choice: the first pin of the direction whose name equals
// name exactly; when none does, the last pin enumerated whatever its
// direction or name (the graph builders rely on this for the screen-capture
// filter's single output pin); none for a filter without pins.
std::optional<std::size_t> ChoosePinByName(const std::vector<PinFacts>& pins, int direction, std::wstring_view name);

// GetNthPin's choice: the pin at the zero-based index among those whose
// direction is known and equal; none past the end or for a negative index.
std::optional<std::size_t> ChooseNthPin(const std::vector<PinFacts>& pins, int direction, int index);
