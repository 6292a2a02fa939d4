// The settings folder, the shipped init file and the defaults that a load
// fills in: PrepareSettingsFolder, ResetSettingsIfNeeded, RestoreDefaults,
// the default recordings folder.

#include <gtest/gtest.h>

#include <string>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/native/settings/SettingsFixture.h"

namespace {

const std::string kInit = SettingsTest::FileOf({"Recording Folder: D:\\init", "Size: 100", "Setup: 0"});

}  // namespace

TEST_F(SettingsTest, PrepareCreatesTheFolderAndCopiesTheInitFileAndBitmaps) {
    fake.WriteBytes(L".\\settings_qr_init.ini", kInit);
    fake.WriteBytes(L".\\bitmap7.bmp", "BM150");
    fake.WriteBytes(L".\\bitmap7_100.bmp", "BM100");
    EXPECT_TRUE(PrepareSettingsFolder());
    EXPECT_EQ(TextOf(AppDataFolder), fake.appData);
    EXPECT_EQ(TextOf(SettingsFolder), fake.appData + L"\\Telvane 2");
    EXPECT_EQ(TextOf(SettingsPath), fake.appData + L"\\Telvane 2\\settings_qr.ini");
    EXPECT_EQ(fake.createdFolders, std::vector<std::wstring>{fake.appData + L"\\Telvane 2"});
    EXPECT_EQ(fake.ReadBytes(std::wstring(TextOf(SettingsPath))), kInit);
    EXPECT_EQ(fake.ReadBytes(fake.appData + L"\\Telvane 2\\bitmap7.bmp"), "BM150");
    EXPECT_EQ(fake.ReadBytes(fake.appData + L"\\Telvane 2\\bitmap7_100.bmp"), "BM100");
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(SettingsTest, PrepareNeverOverwritesSettingsButRefreshesBitmaps) {
    fake.WriteBytes(L".\\settings_qr_init.ini", kInit);
    fake.WriteBytes(L".\\bitmap7.bmp", "new");
    ASSERT_TRUE(PrepareSettingsFolder());
    const std::wstring path(TextOf(SettingsPath));
    fake.WriteBytes(path, "user's own");
    fake.WriteBytes(fake.appData + L"\\Telvane 2\\bitmap7.bmp", "old");
    // Second start: the folder exists already, which is no failure.
    EXPECT_TRUE(PrepareSettingsFolder());
    EXPECT_EQ(fake.ReadBytes(path), "user's own");
    EXPECT_EQ(fake.ReadBytes(fake.appData + L"\\Telvane 2\\bitmap7.bmp"), "new");
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(SettingsTest, PrepareWithoutInitFileOrBitmapsIsSilent) {
    EXPECT_TRUE(PrepareSettingsFolder());
    EXPECT_FALSE(fake.Exists(std::wstring(TextOf(SettingsPath))));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(SettingsTest, PrepareReportsAFolderThatCannotBeCreated) {
    fake.createFolderFails = true;
    EXPECT_FALSE(PrepareSettingsFolder());
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Cannot create folder " + fake.appData + L"\\Telvane 2");
    EXPECT_EQ(fake.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(TextOf(SettingsPath), L"");
}

TEST_F(SettingsTest, PrepareWithoutApplicationDataFolderDoesNothing) {
    fake.appDataAvailable = false;
    EXPECT_FALSE(PrepareSettingsFolder());
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_TRUE(fake.createdFolders.empty());
    EXPECT_EQ(TextOf(AppDataFolder), L"");
    EXPECT_EQ(TextOf(SettingsPath), L"");
}

TEST_F(SettingsTest, PrepareRefusesPathsThatDoNotFitTheirBuffers) {
    fake.appData = fake.Root() + FakeSettingsSystem::Sep() + std::wstring(980, L'd');
    EXPECT_FALSE(PrepareSettingsFolder());
    EXPECT_TRUE(fake.createdFolders.empty());
    EXPECT_EQ(TextOf(SettingsPath), L"");
}

// --- first run and installer ---

TEST_F(SettingsTest, AFirstRunTakesTheInitFileAndMarksSetup) {
    fake.WriteBytes(L".\\settings_qr_init.ini", kInit);
    ASSERT_TRUE(PrepareSettingsFolder());
    const std::wstring path(TextOf(SettingsPath));
    fake.WriteBytes(path, FileOf({"Recording Folder: D:\\user", "Size: 200", "Setup: 0"}));
    ASSERT_EQ(ReadSettings(), 1);
    ResetSettingsIfNeeded(false);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"D:\\init");
    EXPECT_EQ(Settings.Size, 100);
    EXPECT_EQ(Settings.Setup, 1);
    Settings = SettingsRecord{};
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(Settings.Setup, 1);
    EXPECT_EQ(Settings.Size, 100);
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(SettingsTest, ASetUpInstallationIsLeftAloneUnlessTheInstallerStarts) {
    fake.WriteBytes(L".\\settings_qr_init.ini", kInit);
    ASSERT_TRUE(PrepareSettingsFolder());
    const std::wstring path(TextOf(SettingsPath));
    const std::string user = FileOf({"Recording Folder: D:\\user", "Size: 200", "Setup: 1"});
    fake.WriteBytes(path, user);
    ASSERT_EQ(ReadSettings(), 1);
    ResetSettingsIfNeeded(false);
    EXPECT_EQ(fake.ReadBytes(path), user);
    EXPECT_EQ(Settings.Size, 200);
    EXPECT_TRUE(fake.replaced.empty());

    ResetSettingsIfNeeded(true);
    EXPECT_EQ(Settings.Size, 100);
    EXPECT_EQ(Settings.Setup, 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"D:\\init");
    EXPECT_NE(fake.ReadBytes(path).find("\r\nSetup: 1\r\n"), std::string::npos);
}

TEST_F(SettingsTest, AResetWithoutInitFileKeepsTheSettings) {
    ASSERT_TRUE(PrepareSettingsFolder());
    const std::wstring path(TextOf(SettingsPath));
    fake.WriteBytes(path, FileOf({"Recording Folder: D:\\user", "Size: 200", "Setup: 0"}));
    ASSERT_EQ(ReadSettings(), 1);
    ResetSettingsIfNeeded(false);
    EXPECT_EQ(Settings.Size, 200);
    EXPECT_EQ(Settings.Setup, 1);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
}

TEST_F(SettingsTest, RestoreDefaultsAsksAndCopiesTheInitFileOnYes) {
    fake.WriteBytes(L".\\settings_qr_init.ini", kInit);
    ASSERT_TRUE(PrepareSettingsFolder());
    const std::wstring path(TextOf(SettingsPath));
    fake.WriteBytes(path, "mine");

    fake.messageAnswer = kMessageNo;
    EXPECT_FALSE(RestoreDefaults());
    EXPECT_EQ(fake.ReadBytes(path), "mine");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Telvane will close after this\n\nContinue?");
    EXPECT_EQ(fake.messages[0].buttons, MessageButtons::YesNo);

    fake.messageAnswer = kMessageYes;
    EXPECT_TRUE(RestoreDefaults());
    EXPECT_EQ(fake.ReadBytes(path), kInit);
    EXPECT_FALSE(fake.Exists(path + L".tmp"));
}

// --- the default recordings folder ---

TEST_F(SettingsTest, AnEmptyRecordingFolderBecomesTheVideosFolderAndIsWritten) {
    const std::wstring path = PreparedPath();
    fake.WriteBytes(path, FileOf({"User: 0", "Size: 100"}));
    EXPECT_EQ(ReadSettings(), 1);
    const std::wstring folder = fake.videos + L"\\KQ Recordings";
    EXPECT_EQ(TextOf(Settings.RecordingFolder), folder);
    EXPECT_EQ(fake.createdFolders.back(), folder);
    EXPECT_TRUE(fake.Exists(folder));
    EXPECT_NE(fake.ReadBytes(path).find("\r\nRecording Folder: " + EncodeUtf8(folder) + "\r\n"), std::string::npos);
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(SettingsTest, WithoutVideosFolderRecordingsGoBesideTheProgram) {
    fake.videosAvailable = false;
    const std::wstring path = PreparedPath();
    fake.WriteBytes(path, FileOf({"User: 0"}));
    EXPECT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L".\\Recordings");
    EXPECT_EQ(fake.createdFolders.back(), L".\\Recordings");
    EXPECT_TRUE(fake.Exists(L".\\Recordings"));
}

TEST_F(SettingsTest, AFailedWriteOfTheDefaultFolderFailsTheLoad) {
    const std::wstring path = PreparedPath();
    fake.WriteBytes(path, FileOf({"User: 0"}));
    fake.replaceFails = true;
    EXPECT_EQ(ReadSettings(), 0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Cannot find or open file " + path + L". Cannot save settings");
    EXPECT_TRUE(fake.endedWith.empty());
}

TEST_F(SettingsTest, UserOneRecordsIntoThePublicFolderAndSaysSo) {
    const std::wstring path = PreparedPath();
    fake.WriteBytes(path, FileOf({"User: 1"}));
    EXPECT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"C:\\Users\\Public\\ZVC Recordings");
    EXPECT_EQ(fake.createdFolders.back(), L"C:\\Users\\Public\\ZVC Recordings");
    EXPECT_NE(fake.ReadBytes(path).find("\r\nRecording Folder: C:\\Users\\Public\\ZVC Recordings\r\n"),
              std::string::npos);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, L"Telvane recordings will be saved in:\n\nC:\\Users\\Public\\ZVC Recordings");
}

TEST_F(SettingsTest, OtherUserValuesLeaveTheFolderEmpty) {
    const std::wstring path = PreparedPath();
    const std::string file = FileOf({"User: 2"});
    fake.WriteBytes(path, file);
    EXPECT_EQ(ReadSettings(), 1);
    EXPECT_EQ(TextOf(Settings.RecordingFolder), L"");
    EXPECT_EQ(fake.ReadBytes(path), file);
    EXPECT_TRUE(fake.replaced.empty());
}
