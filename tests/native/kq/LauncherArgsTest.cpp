// The launcher's command line, read back by the recorder's own parser.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CmdLineInfo.h"
#include "companions/kq/LauncherArgs.h"

namespace {

using kq::DisplayMode;

LauncherValues ReadBack(const std::wstring& tail) {
    CmdLineInfo info;
    cmdline::Parse(cmdline::Split(L"\"C:\\Program Files\\Telvane\\telvane.exe\" " + tail), info);
    return ReadLauncherValues(info);
}

TEST(LauncherArgs, RecorderReadsWhatTheLauncherPasses) {
    struct Case {
        const char* name;
        std::vector<DisplayMode> displays;
        bool installer;
        std::wstring line;
        LauncherValues read;
    };
    const Case cases[] = {
        {"no display known", {}, false, L"", {}},
        {"one display", {{1920, 1080}}, false, L"/x1 1920 /y1 1080 /w1 1920", {1920, 1080, 0, 0, 1920, 0, false}},
        {"two displays and the installer",
         {{3840, 2160}, {1280, 1024}},
         true,
         L"/x1 3840 /y1 2160 /w1 3840 /x2 1280 /y2 1024 /w2 1280 /installer",
         {3840, 2160, 1280, 1024, 3840, 1280, true}},
        {"a third display is left out",
         {{1600, 900}, {1024, 768}, {800, 600}},
         false,
         L"/x1 1600 /y1 900 /w1 1600 /x2 1024 /y2 768 /w2 1024",
         {1600, 900, 1024, 768, 1600, 1024, false}},
        {"a second display of no size is left out",
         {{1366, 768}, {0, 0}},
         false,
         L"/x1 1366 /y1 768 /w1 1366",
         {1366, 768, 0, 0, 1366, 0, false}},
        {"only the installer", {{0, 768}}, true, L"/installer", {0, 0, 0, 0, 0, 0, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring line = kq::JoinArguments(kq::RecorderArguments(c.displays, c.installer));
        EXPECT_EQ(line, c.line);
        const LauncherValues v = ReadBack(line);
        EXPECT_EQ(v.x1, c.read.x1);
        EXPECT_EQ(v.y1, c.read.y1);
        EXPECT_EQ(v.x2, c.read.x2);
        EXPECT_EQ(v.y2, c.read.y2);
        EXPECT_EQ(v.w1, c.read.w1);
        EXPECT_EQ(v.w2, c.read.w2);
        EXPECT_EQ(v.installer, c.read.installer);
    }
}

TEST(LauncherArgs, InstallerSwitchIsPassedOnInAnySpelling) {
    const std::vector<std::wstring> program = {L"kq.exe"};
    auto with = [&](std::vector<std::wstring> more) {
        std::vector<std::wstring> args = program;
        args.insert(args.end(), more.begin(), more.end());
        return kq::HasInstallerSwitch(args);
    };
    EXPECT_TRUE(with({L"/installer"}));
    EXPECT_TRUE(with({L"-INSTALLER"}));
    EXPECT_TRUE(with({L"/x", L"/Installer"}));
    EXPECT_FALSE(with({}));
    EXPECT_FALSE(with({L"installer"}));
    EXPECT_FALSE(with({L"/installers"}));
    EXPECT_FALSE(with({L"/install"}));
    EXPECT_FALSE(kq::HasInstallerSwitch({L"/installer"}));  // the program name itself
}

}  // namespace
