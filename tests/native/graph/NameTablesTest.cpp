// The lookup name tables (filling, the 999-character and 11-entry bounds)
// and the rules by which a lookup picks one device or pin among several.

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "graph/DeviceNameTables.h"

namespace {

TEST(NameTable, StoresNamesInOrderAndCountsThem) {
    NameTable table;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_TRUE(table.Add(L"Microphone"));
    EXPECT_TRUE(table.Add(L"Line In"));
    EXPECT_TRUE(table.Add(L""));
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Name(0), L"Microphone");
    EXPECT_EQ(table.Name(1), L"Line In");
    EXPECT_EQ(table.Name(2), L"");
    EXPECT_STREQ(table.Text(1), L"Line In");
    // Outside the count there is nothing, even where an entry once was.
    EXPECT_EQ(table.Name(3), L"");
    EXPECT_EQ(table.Name(-1), L"");
    EXPECT_STREQ(table.Text(3), L"");

    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Name(0), L"");
    EXPECT_TRUE(table.Add(L"Stereo Mix"));
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Name(0), L"Stereo Mix");
}

TEST(NameTable, LongNamesKeepTheirFirst999Characters) {
    struct Row {
        std::size_t length;
        std::size_t stored;
    };
    const Row rows[] = {{998, 998}, {999, 999}, {1000, 999}, {1001, 999}, {5000, 999}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        std::wstring name;
        for (std::size_t i = 0; i < row.length; ++i) name += static_cast<wchar_t>(L'a' + i % 26);
        NameTable table;
        ASSERT_TRUE(table.Add(name));
        ASSERT_TRUE(table.Add(L"next"));
        EXPECT_EQ(table.Name(0), name.substr(0, row.stored));
        EXPECT_EQ(std::wcslen(table.Text(0)), row.stored);
        // The neighbouring entry is untouched by the long one.
        EXPECT_EQ(table.Name(1), L"next");
    }
}

TEST(NameTable, CutNeverSplitsASurrogatePair) {
    // 998 characters and U+1F600: two UTF-16 units where wchar_t is 16 bits
    // (the pair does not fit and goes whole), one unit elsewhere (it fits).
    const std::wstring head(998, L'x');
    const std::wstring name = head + std::wstring(L"\U0001F600") + L"tail";
    NameTable table;
    ASSERT_TRUE(table.Add(name));
    if (sizeof(wchar_t) == 2) {
        EXPECT_EQ(table.Name(0), head);
    } else {
        EXPECT_EQ(table.Name(0), head + L"\U0001F600");
    }
}

TEST(NameTable, RefusesATwelfthName) {
    NameTable table;
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(table.Add(L"Device " + std::to_wstring(i))) << i;
        EXPECT_EQ(table.Full(), i == 10);
    }
    EXPECT_FALSE(table.Add(L"Device 11"));
    EXPECT_FALSE(table.Add(L"Device 12"));
    EXPECT_EQ(table.Count(), 11);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(table.Name(i), L"Device " + std::to_wstring(i));
    EXPECT_EQ(table.Name(11), L"");
}

struct Device {
    std::wstring name;
    bool binds;
};

struct SearchOutcome {
    std::optional<std::size_t> result;  // index of the device whose filter is the result
    std::vector<std::size_t> bound;     // devices bound, in order
};

// Drives a search the way the DirectShow lookups do.
SearchOutcome RunSearch(const std::wstring& wanted, DeviceSearchRule rule, const std::vector<Device>& devices) {
    DeviceSearch search(wanted, rule);
    SearchOutcome out;
    for (std::size_t i = 0; i < devices.size() && !search.Done(); ++i) {
        if (!search.Matches(devices[i].name)) continue;
        out.bound.push_back(i);
        if (search.Bound(devices[i].binds))
            out.result = devices[i].binds ? std::optional<std::size_t>(i) : std::nullopt;
    }
    return out;
}

TEST(DeviceSearch, ChoosesByTheRuleOfTheName) {
    const auto none = std::nullopt;
    using R = DeviceSearchRule;
    struct Row {
        const char* what;
        std::wstring wanted;
        R rule;
        std::vector<Device> devices;
        std::optional<std::size_t> result;
        std::vector<std::size_t> bound;
    };
    const std::vector<Row> rows = {
        {"last of two equal names", L"Mic", R::LastMatch, {{L"Mic", true}, {L"Mic", true}}, 1, {0, 1}},
        {"one match among others", L"Mic", R::LastMatch, {{L"Line", true}, {L"Mic", true}, {L"Aux", true}}, 1, {1}},
        {"a failed last bind leaves none", L"Mic", R::LastMatch, {{L"Mic", true}, {L"Mic", false}}, none, {0, 1}},
        {"a failed first bind is replaced", L"Mic", R::LastMatch, {{L"Mic", false}, {L"Mic", true}}, 1, {0, 1}},
        {"case matters", L"Mic", R::LastMatch, {{L"mic", true}, {L"MIC", true}}, none, {}},
        {"whole names only", L"Mic", R::LastMatch, {{L"Mic 2", true}, {L"Mi", true}, {L"Mic ", true}}, none, {}},
        {"no devices", L"Mic", R::LastMatch, {}, none, {}},
        {"renderer: the second of three",
         L"Video Renderer",
         R::SecondBind,
         {{L"Video Renderer", true}, {L"Video Renderer", true}, {L"Video Renderer", true}},
         1,
         {0, 1}},
        {"renderer: the only one",
         L"Video Renderer",
         R::SecondBind,
         {{L"Other", true}, {L"Video Renderer", true}},
         1,
         {1}},
        {"renderer: a failed bind does not count",
         L"Video Renderer",
         R::SecondBind,
         {{L"Video Renderer", false}, {L"Video Renderer", true}, {L"Video Renderer", true}, {L"Video Renderer", true}},
         2,
         {0, 1, 2}},
        {"renderer: a failed bind after the first replaces it",
         L"Video Renderer",
         R::SecondBind,
         {{L"Video Renderer", true}, {L"Video Renderer", false}},
         none,
         {0, 1}},
        {"first bind of two equal names", L"Mic", R::FirstBind, {{L"Mic", true}, {L"Mic", true}}, 0, {0}},
        {"first bind after a failed one",
         L"Mic",
         R::FirstBind,
         {{L"Mic", false}, {L"Other", true}, {L"Mic", true}, {L"Mic", true}},
         2,
         {0, 2}},
        {"first bind: all binds fail", L"Mic", R::FirstBind, {{L"Mic", false}, {L"Mic", false}}, none, {0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const SearchOutcome out = RunSearch(row.wanted, row.rule, row.devices);
        EXPECT_EQ(out.result, row.result);
        EXPECT_EQ(out.bound, row.bound);
    }
}

TEST(DeviceSearch, OnlyTheExactRendererNameTakesTheSecondBind) {
    EXPECT_EQ(DeviceFilterRule(L"Video Renderer"), DeviceSearchRule::SecondBind);
    EXPECT_EQ(DeviceFilterRule(L"video renderer"), DeviceSearchRule::LastMatch);
    EXPECT_EQ(DeviceFilterRule(L"Video Renderer "), DeviceSearchRule::LastMatch);
    EXPECT_EQ(DeviceFilterRule(L"Video Mixing Renderer 9"), DeviceSearchRule::LastMatch);
    EXPECT_EQ(DeviceFilterRule(L""), DeviceSearchRule::LastMatch);
}

PinFacts Pin(int direction, const std::wstring& name) { return {true, direction, true, name}; }
PinFacts PinWithoutDirection(const std::wstring& name) { return {false, kPinInput, true, name}; }
PinFacts PinWithoutName(int direction) { return {true, direction, false, L""}; }

TEST(PinChoice, ByNameFallsBackToTheLastPin) {
    const auto none = std::nullopt;
    struct Row {
        const char* what;
        std::vector<PinFacts> pins;
        int direction;
        std::wstring name;
        std::optional<std::size_t> chosen;
    };
    const std::vector<Row> rows = {
        {"case differs: the last pin", {Pin(kPinInput, L"In"), Pin(kPinOutput, L"output")}, kPinOutput, L"Output", 1},
        {"exact name first", {Pin(kPinOutput, L"Output"), Pin(kPinOutput, L"Extra")}, kPinOutput, L"Output", 0},
        {"first of two equal names", {Pin(kPinOutput, L"Out"), Pin(kPinOutput, L"Out")}, kPinOutput, L"Out", 0},
        {"wrong direction is skipped",
         {Pin(kPinInput, L"Capture"), Pin(kPinOutput, L"Capture"), Pin(kPinInput, L"x")},
         kPinOutput,
         L"Capture",
         1},
        {"fallback takes the last whatever its direction",
         {Pin(kPinOutput, L"A"), Pin(kPinInput, L"B")},
         kPinOutput,
         L"Missing",
         1},
        {"unreadable direction is skipped", {PinWithoutDirection(L"In"), Pin(kPinInput, L"In")}, kPinInput, L"In", 1},
        {"unreadable name is skipped", {PinWithoutName(kPinInput), Pin(kPinInput, L"")}, kPinInput, L"", 1},
        {"fallback may be an unreadable pin",
         {Pin(kPinInput, L"In"), PinWithoutDirection(L"?")},
         kPinOutput,
         L"Out",
         1},
        {"single pin under any name", {Pin(kPinOutput, L"Capture")}, kPinOutput, L"Output", 0},
        {"no pins", {}, kPinOutput, L"Output", none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ChoosePinByName(row.pins, row.direction, row.name), row.chosen);
    }
}

TEST(PinChoice, NthCountsOnlyPinsOfTheDirection) {
    const auto none = std::nullopt;
    const std::vector<PinFacts> pins = {Pin(kPinInput, L"Microphone"), Pin(kPinInput, L"Line In"),
                                        PinWithoutDirection(L"?"),     Pin(kPinOutput, L"Capture"),
                                        Pin(kPinInput, L"Stereo Mix"), PinWithoutName(kPinOutput)};
    struct Row {
        int direction;
        int index;
        std::optional<std::size_t> chosen;
    };
    const Row rows[] = {{kPinInput, 0, 0},  {kPinInput, 1, 1},  {kPinInput, 2, 4},     {kPinInput, 3, none},
                        {kPinOutput, 0, 3}, {kPinOutput, 1, 5}, {kPinOutput, 2, none}, {kPinInput, -1, none}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "direction " << row.direction << " index " << row.index);
        EXPECT_EQ(ChooseNthPin(pins, row.direction, row.index), row.chosen);
    }
    EXPECT_EQ(ChooseNthPin({}, kPinInput, 0), none);
}

}  // namespace
