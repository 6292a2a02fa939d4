// Win32SettingsSystem under Wine: known folders, folders and files under a
// Cyrillic path, the atomic replace, and the settings file read and written
// through it.

#include "settings/Win32SettingsSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

class Win32SettingsSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        m_folder = std::wstring(temp) + L"telvane \u0418\u0432\u0430\u043d " + std::to_wstring(::GetCurrentProcessId());
        ASSERT_EQ(system.CreateFolder(m_folder), FolderResult::Created);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"settings_qr.ini", L"settings_qr.ini.tmp"}) {
            const std::wstring path = m_folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
        ::RemoveDirectoryW(m_folder.c_str());
        SetSettingsSystem(nullptr);
    }
    std::string Read(const std::wstring& path) {
        auto in = system.OpenForReading(path);
        if (!in) return "<none>";
        return std::string(std::istreambuf_iterator<char>(*in), std::istreambuf_iterator<char>());
    }

    bool vistaOrLater = true;
    bool notWindows7 = false;
    Win32SettingsSystem system{vistaOrLater, notWindows7};
    std::wstring m_folder;
};

}  // namespace

TEST_F(Win32SettingsSystemTest, KnownFoldersExist) {
    std::wstring appData, videos;
    ASSERT_TRUE(system.ApplicationDataFolder(appData));
    ASSERT_TRUE(system.VideosFolder(videos));
    EXPECT_NE(::GetFileAttributesW(appData.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(videos.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(appData, videos);
}

TEST_F(Win32SettingsSystemTest, FoldersTellCreatedFromExistingFromFailed) {
    EXPECT_EQ(system.CreateFolder(m_folder), FolderResult::AlreadyExists);
    EXPECT_EQ(system.CreateFolder(m_folder + L"\\missing\\child"), FolderResult::Failed);
}

TEST_F(Win32SettingsSystemTest, FilesUnderAWidePath) {
    const std::wstring a = m_folder + L"\\a.txt", b = m_folder + L"\\b.txt", c = m_folder + L"\\c.txt";
    EXPECT_EQ(Read(a), "<none>");
    ASSERT_TRUE(system.WriteNewFile(a, std::string("one\r\n\0two", 10)));
    EXPECT_EQ(Read(a), std::string("one\r\n\0two", 10));
    ASSERT_TRUE(system.WriteNewFile(a, "shorter"));
    EXPECT_EQ(Read(a), "shorter");

    // Copies: never over an existing file unless asked.
    ASSERT_TRUE(system.CopyOneFile(a, b, false));
    ASSERT_TRUE(system.WriteNewFile(a, "newer"));
    EXPECT_FALSE(system.CopyOneFile(a, b, false));
    EXPECT_EQ(Read(b), "shorter");
    EXPECT_TRUE(system.CopyOneFile(a, b, true));
    EXPECT_EQ(Read(b), "newer");
    EXPECT_FALSE(system.CopyOneFile(m_folder + L"\\none.txt", c, true));

    // A read-only source gives a copy that can be replaced later.
    ASSERT_TRUE(::SetFileAttributesW(a.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(system.CopyOneFile(a, c, true));
    EXPECT_EQ(::GetFileAttributesW(c.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ASSERT_TRUE(::SetFileAttributesW(a.c_str(), FILE_ATTRIBUTE_NORMAL));
    system.RemoveFile(c);

    // The replace works over an existing target and onto a missing one.
    ASSERT_TRUE(system.WriteNewFile(c, "replacement"));
    EXPECT_TRUE(system.ReplaceFileAtomically(c, b));
    EXPECT_EQ(Read(b), "replacement");
    EXPECT_EQ(Read(c), "<none>");
    EXPECT_TRUE(system.ReplaceFileAtomically(b, c));
    EXPECT_EQ(Read(c), "replacement");
    EXPECT_FALSE(system.ReplaceFileAtomically(b, c));

    system.RemoveFile(c);
    EXPECT_EQ(Read(c), "<none>");
}

TEST_F(Win32SettingsSystemTest, VersionFlagsAreReadWhenAsked) {
    EXPECT_TRUE(system.VistaOrLater());
    EXPECT_FALSE(system.NotWindows7());
    notWindows7 = true;
    EXPECT_TRUE(system.NotWindows7());
}

TEST_F(Win32SettingsSystemTest, SettingsFileInAFolderWithCyrillicName) {
    SetSettingsSystem(&system);
    const std::wstring path = m_folder + L"\\settings_qr.ini";
    CopyText(SettingsPath, path);
    Settings = SettingsRecord{};
    CopyText(Settings.RecordingFolder, m_folder + L"\\\u5f55\u97f3");
    Settings.Size = 175;
    ASSERT_EQ(WriteSettings(), 1);
    EXPECT_EQ(Read(path), FormatSettingsText(Settings));
    EXPECT_EQ(Read(path + L".tmp"), "<none>");
    Settings = SettingsRecord{};
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), m_folder + L"\\\u5f55\u97f3");
    EXPECT_EQ(Settings.Size, 175);
    SettingsPath[0] = L'\0';
}
