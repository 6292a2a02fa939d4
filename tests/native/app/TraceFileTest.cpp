// The trace file of the motion search, in a build with its switch on.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/services/DiagnosticLog.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TraceFile, KeepsLogTextsUnchangedAndGoesOffAfterAFailedOpen) {
    ASSERT_TRUE(kTraceFileSwitch);
    const std::string path = ::testing::TempDir() + "zzzVideo.txt";
    ASSERT_TRUE(OpenTraceFile(path));
    AppendLog(L"frame %d\r\n", 1);
    AppendTrace();
    AppendLog(L"caf\u00e9 ");
    AppendTrace();
    AppendLog(L"not traced");
    CloseTraceFile();
    AppendTrace();  // closed: nothing
    EXPECT_EQ(Read(path), "frame 1\r\ncaf\xC3\xA9 ");

    // A second search truncates the file.
    ASSERT_TRUE(OpenTraceFile(path));
    CloseTraceFile();
    EXPECT_EQ(Read(path), "");

    EXPECT_FALSE(OpenTraceFile("/nonexistent-folder/zzzVideo.txt"));
    EXPECT_FALSE(TraceFileOn());
    EXPECT_FALSE(OpenTraceFile(path));  // off for the rest of the run
    std::remove(path.c_str());
}

}  // namespace
