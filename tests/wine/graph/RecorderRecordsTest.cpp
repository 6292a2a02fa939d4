// The recorder program itself records: telvane.exe started with a capture
// region in its settings, RECORD clicked, STOP clicked a few seconds later;
// the ".wmv" it wrote into the recordings folder is copied to a fixed name
// for graph_recorder_record_check, which reads it from Linux.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/app/RecorderRun.h"

namespace {

using namespace apptest;

constexpr int kStatus = 118;
constexpr int kRecord = 1215;

std::string Narrow8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(RecorderRecords, RecordThenStopLeavesAWmvInTheRecordingsFolder) {
    EndLeftovers();
    const std::filesystem::path folder(driver::ProgramFolder() + L"graph_recorder\\recordings");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    const std::filesystem::path copy(driver::ProgramFolder() + L"graph_recorder\\latest.wmv");
    std::filesystem::remove(copy, ignored);

    // The region 100,100 to 421,341 records 320 x 240; the recorder window
    // sits away from it, so no overlap question comes.
    PrepareSettings({{"Recording Folder", Narrow8(folder.wstring())},
                     {"xTop", "100"},
                     {"yTop", "100"},
                     {"xBottom", "421"},
                     {"yBottom", "341"},
                     {"Video Bitrate", "500"},
                     {"Audio Bitrate", "64"},
                     {"Bitcount", "32"},
                     {"Position", "900,700"},
                     {"Max File Time", "0"}});
    Started run = StartRecorder();
    ASSERT_NE(run.recorder, nullptr);
    WaitForDeferredInit();
    // The silence helper, which keeps the loopback's packets coming.
    ASSERT_TRUE(driver::PollUntil(20000, [] { return ::FindWindowW(nullptr, L"Silence") != nullptr; }));

    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    ASSERT_TRUE(driver::PollUntil(20000, [&] { return driver::GetControlText(run.recorder, kRecord) == L"STOP"; }))
        << Narrow(driver::GetControlText(run.recorder, kStatus));
    std::wstring status;
    EXPECT_TRUE(driver::PollUntil(15000, [&] {
        status = driver::GetControlText(run.recorder, kStatus);
        return status.rfind(L"Recording: ", 0) == 0 && status.find(L"00:00:04") != std::wstring::npos;
    })) << Narrow(status);

    ASSERT_TRUE(driver::ClickControl(run.recorder, kRecord));
    EXPECT_TRUE(driver::PollUntil(15000, [&] {
        status = driver::GetControlText(run.recorder, kStatus);
        return status.rfind(L"Recording Stopped: ", 0) == 0 && status != L"Recording Stopped: 0.00 MB";
    })) << Narrow(status);
    EXPECT_EQ(driver::GetControlText(run.recorder, kRecord), L"RECORD");
    EXPECT_EQ(CloseRecorder(run), 0u);

    const std::vector<std::filesystem::path> found = Recordings(folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(found[0]), 100000u);
    std::filesystem::copy_file(found[0], copy);
    EndLeftovers();
}

}  // namespace
