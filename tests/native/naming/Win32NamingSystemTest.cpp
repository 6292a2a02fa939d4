// The Win32 side of the naming under Wine: the folder listing through
// FindFirstFile with wide names, the attribute words, the tick count, and
// the whole naming over it.

#include "app/session/Win32NamingSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/session/OutputNaming.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"

namespace fs = std::filesystem;

namespace {

class Win32Naming : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) / L"telvane naming \u00FC\u4E2D";
        std::error_code error;
        fs::remove_all(root, error);
        ASSERT_TRUE(fs::create_directories(root));
    }
    void TearDown() override {
        SetNamingSystem(nullptr);
        std::error_code error;
        fs::remove_all(root, error);
    }
    void Touch(const std::wstring& name) { std::ofstream(root / name) << "x"; }

    fs::path root;
    Win32NamingSystem system;
};

TEST_F(Win32Naming, ListsWideNamesWithTheirAttributes) {
    Touch(L"Bob.wmv");
    Touch(L"\u0416\u00E9.wmv");
    ASSERT_TRUE(fs::create_directory(root / L"sub"));
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(system.ListFolder(root.wstring(), entries));
    auto find = [&](const std::wstring& name) {
        return std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; });
    };
    ASSERT_NE(find(L"."), entries.end());
    ASSERT_NE(find(L".."), entries.end());
    ASSERT_NE(find(L"Bob.wmv"), entries.end());
    ASSERT_NE(find(L"\u0416\u00E9.wmv"), entries.end());
    ASSERT_NE(find(L"sub"), entries.end());
    EXPECT_EQ(find(L"sub")->attributes, kDirectoryAttribute);
    EXPECT_EQ(find(L"Bob.wmv")->attributes & kDirectoryAttribute, 0u);
    EXPECT_EQ(entries.size(), 5u);
}

TEST_F(Win32Naming, MissingFolderCannotBeListed) {
    std::vector<FolderEntry> entries;
    EXPECT_FALSE(system.ListFolder((root / L"gone").wstring(), entries));
}

TEST_F(Win32Naming, TickCountIsTheSystemOne) {
    const DWORD before = ::GetTickCount();
    const std::uint32_t tick = system.TickCount();
    const DWORD after = ::GetTickCount();
    EXPECT_GE(tick, before);
    EXPECT_LE(tick, after);
}

TEST_F(Win32Naming, NamesAgainstTheRealFolder) {
    Settings = SettingsRecord{};
    ASSERT_TRUE(CopyText(Settings.RecordingFolder, root.wstring()));
    SetNamingSystem(&system);
    Touch(L"BOB.wmv");
    ASSERT_TRUE(fs::create_directory(root / L"Bobby"));
    ASSERT_TRUE(SetupOutputFile(L"Bob", L""));
    EXPECT_EQ(std::wstring(TextOf(OutputName)), L"Bob[2].wmv");
    EXPECT_EQ(std::wstring(TextOf(OutputPath)), root.wstring() + L"\\Bob[2].wmv");

    // The cleaned device name can really be created where "con" could not.
    ASSERT_TRUE(SetupOutputFile(L"con", L""));
    EXPECT_EQ(std::wstring(TextOf(OutputName)), L"con_.wmv");
    std::ofstream file(fs::path(std::wstring(TextOf(OutputPath))));
    EXPECT_TRUE(file.good());
    file.close();
    EXPECT_TRUE(fs::is_regular_file(root / L"con_.wmv"));
}

}  // namespace
