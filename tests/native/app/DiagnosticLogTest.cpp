#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/services/DiagnosticLog.h"

namespace {

std::mutex g_seenLock;
std::vector<std::wstring> g_seen;

void Record(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(g_seenLock);
    g_seen.push_back(text);
}

class DiagnosticLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        SetLogSink(&Record);
    }
    void TearDown() override { SetLogSink(nullptr); }
};

TEST_F(DiagnosticLogTest, FormatsWideAndNarrowArgumentsIntoTheLastText) {
    AppendLog(L"\r\nScreen resolution: %dx%d\r\nProcessor: %ls", 1280, 1024, L"Test CPU \u00e9");
    EXPECT_EQ(LogText(), L"\r\nScreen resolution: 1280x1024\r\nProcessor: Test CPU \u00e9");
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0], LogText());
    AppendLog(L"next");
    EXPECT_EQ(LogText(), L"next");  // replaced, not appended
}

TEST_F(DiagnosticLogTest, LongTextsAreCutNotOverflowed) {
    const std::wstring big(20000, L'a');
    AppendLog(L"%ls", big.c_str());
    EXPECT_EQ(LogText().size(), kLogTextCapacity - 1);
    EXPECT_EQ(LogText(), std::wstring(kLogTextCapacity - 1, L'a'));
}

TEST_F(DiagnosticLogTest, WithoutASinkNothingGoesAnywhere) {
    SetLogSink(nullptr);
    for (int i = 0; i < 100; ++i) AppendLog(L"burst %d", i);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(LogText(), L"burst 99");
}

TEST_F(DiagnosticLogTest, TwoThreadsNeverMixTheirTexts) {
    auto writer = [](wchar_t letter) {
        const std::wstring line(200, letter);
        for (int i = 0; i < 500; ++i) {
            AppendLog(L"%ls", line.c_str());
            const std::wstring last = LogText();
            // Whatever was last is one whole line of either writer.
            if (last != std::wstring(200, L'a') && last != std::wstring(200, L'b')) ADD_FAILURE() << "mixed text";
        }
    };
    std::thread a(writer, L'a'), b(writer, L'b');
    a.join();
    b.join();
    std::lock_guard<std::mutex> guard(g_seenLock);
    EXPECT_EQ(g_seen.size(), 1000u);
    for (const std::wstring& text : g_seen)
        EXPECT_TRUE(text == std::wstring(200, L'a') || text == std::wstring(200, L'b'));
}

TEST_F(DiagnosticLogTest, TraceIsOffInTheProductBuild) {
    ASSERT_FALSE(kTraceFileSwitch);
    // Opening "succeeds" without touching the disk, and nothing is traced.
    EXPECT_TRUE(OpenTraceFile("/nonexistent-folder/zzzVideo.txt"));
    AppendLog(L"traced");
    AppendTrace();
    CloseTraceFile();
    EXPECT_FALSE(TraceFileOn());
}

}  // namespace
