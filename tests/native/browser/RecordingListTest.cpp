// The recordings browser's list: which folder entries are listed, the
// texts of a row and the order of each column.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browser/RecordingList.h"

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

TEST(RecordingList, ListsTheVideoTypesOfFilesOnly) {
    const struct {
        const wchar_t* name;
        bool folder;
        bool listed;
    } cases[] = {
        {L"a.WMV", false, true},    {L"b.mp4", false, true},       {L"c.txt", false, false},
        {L"d.avi", true, false},    {L"x.mpeg.bak", false, false}, {L"x.wmv2", false, true},
        {L"call.MPG", false, true}, {L"wmv", false, false},        {L".", true, false},
        {L"..", true, false},       {L"old.avi.", false, false},   {L"Bob (2).wmv", false, true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsListedRecording(c.name, c.folder), c.listed) << c.name;
    EXPECT_EQ(RecordingType(L"x.mpeg.bak"), L"bak");
    EXPECT_EQ(RecordingType(L"Bob.WMV"), L"WMV");
    EXPECT_EQ(RecordingType(L"noext"), L"");
}

TEST(RecordingList, RowTexts) {
    EXPECT_EQ(RecordingSizeText(0), L"0.000");
    EXPECT_EQ(RecordingSizeText(1048576), L"1.000");
    EXPECT_EQ(RecordingSizeText(9700000), L"9.251");
    EXPECT_EQ(RecordingSizeText(5 * kGiB), L"5120.000");
    EXPECT_EQ(RecordingModifiedText(6, 5, 14, 7), L"Jun/05 14:07");
    EXPECT_EQ(RecordingModifiedText(1, 31, 0, 0), L"Jan/31 00:00");
    EXPECT_EQ(RecordingModifiedText(12, 9, 23, 59), L"Dec/09 23:59");
    EXPECT_EQ(RecordingModifiedText(13, 1, 1, 1), L"---/01 01:01");
}

std::vector<std::wstring> SortedNames(std::vector<RecordingItem> items, RecordingColumn column) {
    std::stable_sort(items.begin(), items.end(), [column](const RecordingItem& a, const RecordingItem& b) {
        return CompareRecordings(a, b, column) < 0;
    });
    std::vector<std::wstring> names;
    for (const RecordingItem& item : items) names.push_back(item.name);
    return names;
}

TEST(RecordingList, EachColumnSortsInItsOrder) {
    const std::vector<RecordingItem> items = {
        {L"bob.wmv", L"wmv", 5 * kGiB, 300},
        {L"Alice.MP4", L"MP4", 3 * kGiB, 100},
        {L"carol.avi", L"avi", 200 * 1048576ull, 200},
        {L"Dave.wmv", L"wmv", 4 * kGiB + 1, 400},
    };
    EXPECT_EQ(SortedNames(items, RecordingColumn::Name),
              (std::vector<std::wstring>{L"Alice.MP4", L"bob.wmv", L"carol.avi", L"Dave.wmv"}));
    EXPECT_EQ(SortedNames(items, RecordingColumn::Type),
              (std::vector<std::wstring>{L"carol.avi", L"Alice.MP4", L"bob.wmv", L"Dave.wmv"}));
    // 3 GiB, 4 GiB + 1 and 5 GiB sort by their whole sizes, not by their
    // lower 32 bits (which would put 4 GiB + 1 first).
    EXPECT_EQ(SortedNames(items, RecordingColumn::Size),
              (std::vector<std::wstring>{L"carol.avi", L"Alice.MP4", L"Dave.wmv", L"bob.wmv"}));
    EXPECT_EQ(SortedNames(items, RecordingColumn::Modified),
              (std::vector<std::wstring>{L"Dave.wmv", L"bob.wmv", L"carol.avi", L"Alice.MP4"}));
    EXPECT_EQ(CompareRecordings(items[1], items[1], RecordingColumn::Size), 0);
}

}  // namespace
