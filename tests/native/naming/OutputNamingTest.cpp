// Output file naming against real temporary folders: the names recordings
// get, the counter against the files already there, the cleaning of titles
// and the failures.

#include "app/session/OutputNaming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "app/services/DiagnosticLog.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "tests/native/naming/FolderNamingSystem.h"

namespace fs = std::filesystem;

namespace {

class NamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = SettingsRecord{};
        OutputName[0] = OutputPath[0] = LastRecording[0] = L'\0';
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::path(::testing::TempDir()) / ("telvane naming " + test);
        std::error_code error;
        fs::remove_all(root, error);
        ASSERT_TRUE(fs::create_directories(root));
        UseFolder(WideOf(root));
        SetNamingSystem(&system);
    }
    void TearDown() override {
        SetNamingSystem(nullptr);
        std::error_code error;
        fs::remove_all(root, error);
    }

    void UseFolder(const std::wstring& path) {
        folder = path;
        ASSERT_TRUE(CopyText(Settings.RecordingFolder, folder));
    }
    void Touch(const std::wstring& name) {
        std::ofstream file(PathOf(root, name));
        file << "recording";
        ASSERT_TRUE(file.good()) << fs::path(name).string();
    }
    // Starts a recording of a window with that title and gives the file name.
    std::wstring NameFor(const std::wstring& title, const std::wstring& conversation = L"") {
        EXPECT_TRUE(SetupOutputFile(title, conversation));
        EXPECT_EQ(std::wstring(TextOf(OutputPath)), folder + L"\\" + std::wstring(TextOf(OutputName)));
        EXPECT_EQ(std::wstring(TextOf(LastRecording)), std::wstring(TextOf(OutputPath)));
        return std::wstring(TextOf(OutputName));
    }

    FolderNamingSystem system;
    fs::path root;
    std::wstring folder;
};

TEST_F(NamingTest, TitleInAnEmptyFolderIsTheName) {
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.wmv");
    EXPECT_EQ(std::wstring(TextOf(OutputPath)), folder + L"\\Bob.wmv");
    EXPECT_TRUE(system.messages.empty());
    ASSERT_EQ(system.listed.size(), 1u);
    EXPECT_EQ(system.listed[0], folder);
}

TEST_F(NamingTest, ExistingRecordingsRaiseTheCounter) {
    Touch(L"Bob.wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[2].wmv");
    Touch(L"Bob[2].wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[3].wmv");
    Touch(L"Bob[3].wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[4].wmv");
}

TEST_F(NamingTest, LargestCounterWinsNotTheCount) {
    Touch(L"Bob.wmv");
    Touch(L"Bob[7].wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[8].wmv");
}

TEST_F(NamingTest, MatchingIsBySubstring) {
    Touch(L"Bobby.wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[2].wmv");
}

TEST_F(NamingTest, MatchingIgnoresCase) {
    Touch(L"BOB.WMV");
    EXPECT_EQ(NameFor(L"bob"), L"bob[2].wmv");
}

TEST_F(NamingTest, MatchingIgnoresCaseBeyondAscii) {
    Touch(L"\u00C9MILE \u0416.wmv");  // ÉMILE Ж
    EXPECT_EQ(NameFor(L"\u00E9mile \u0436"), L"\u00E9mile \u0436[2].wmv");
}

TEST_F(NamingTest, OtherNamesAndTheirCountersDoNotCount) {
    Touch(L"Alice.wmv");
    Touch(L"Alice[7].wmv");
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.wmv");
}

TEST_F(NamingTest, FoldersAreNotMatched) {
    ASSERT_TRUE(fs::create_directory(root / "Bobby"));
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.wmv");
}

TEST_F(NamingTest, AFolderOfTheSameNameIsNotTakenAsTheFile) {
    ASSERT_TRUE(fs::create_directory(root / "Bob.wmv"));
    EXPECT_EQ(NameFor(L"Bob"), L"Bob[2].wmv");
}

TEST_F(NamingTest, NoTitleGivesTelvane) {
    EXPECT_EQ(NameFor(L""), L"Telvane.wmv");
    Touch(L"Telvane.wmv");
    EXPECT_EQ(NameFor(L""), L"Telvane[2].wmv");
}

TEST_F(NamingTest, ProtocolFourGivesAvi) {
    Settings.Protocol = 4;
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.avi");
    Settings.Protocol = 2;
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.avi");
    Settings.Protocol = 1;
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.wmv");
}

TEST_F(NamingTest, TitleOfQuestionMarksBecomesDotWmv) {
    EXPECT_EQ(NameFor(L"????"), L".wmv");
    // The "." at the first position is no extension, so every file holding
    // ".wmv" matches and the counter goes behind it.
    Touch(L"Alice.wmv");
    EXPECT_EQ(NameFor(L"????"), L".wmv[2]");
    Touch(L"Carol[4].wmv");
    EXPECT_EQ(NameFor(L"????"), L".wmv[5]");
}

TEST_F(NamingTest, TitleWithABackslashIsNamedAfterItsLastPart) {
    EXPECT_EQ(NameFor(L"Work\\Team\\Bob"), L"Bob.wmv");
    EXPECT_EQ(std::wstring(TextOf(OutputPath)), folder + L"\\Bob.wmv");
}

TEST_F(NamingTest, FileNameCharactersAreRemoved) {
    EXPECT_EQ(NameFor(L"a/b:c*d<e|f?g&h=i%j`k\tl"), L"abcdefghijkl.wmv");
}

TEST_F(NamingTest, GreaterThanAndDoubleQuoteAreRemoved) {
    EXPECT_EQ(NameFor(L"Say \"hi\" <Bob> now"), L"Say hi Bob now.wmv");
    // The name can be created.
    std::ofstream file(PathOf(root, std::wstring(TextOf(OutputName))));
    EXPECT_TRUE(file.good());
}

TEST_F(NamingTest, DeviceNamesGetAnUnderscore) {
    EXPECT_EQ(NameFor(L"con"), L"con_.wmv");
    EXPECT_EQ(NameFor(L"CON"), L"CON_.wmv");
    EXPECT_EQ(NameFor(L"Aux"), L"Aux_.wmv");
    EXPECT_EQ(NameFor(L"nul "), L"nul_ .wmv");
    EXPECT_EQ(NameFor(L"prn"), L"prn_.wmv");
    EXPECT_EQ(NameFor(L"COM1"), L"COM1_.wmv");
    EXPECT_EQ(NameFor(L"lpt9"), L"lpt9_.wmv");
    EXPECT_EQ(NameFor(L"lpt9.x"), L"lpt9_.x.wmv");
    // Not devices.
    EXPECT_EQ(NameFor(L"COM10"), L"COM10.wmv");
    EXPECT_EQ(NameFor(L"com0"), L"com0.wmv");
    EXPECT_EQ(NameFor(L"Conrad"), L"Conrad.wmv");
    EXPECT_EQ(NameFor(L"my con"), L"my con.wmv");
}

TEST_F(NamingTest, DeviceNameCounterMatchesItsOwnFiles) {
    Touch(L"con_.wmv");
    EXPECT_EQ(NameFor(L"con"), L"con_[2].wmv");
}

TEST_F(NamingTest, BrowserEndingsAreCut) {
    EXPECT_EQ(NameFor(L"Funny cats - Google Chrome"), L"Funny cats.wmv");
    EXPECT_EQ(NameFor(L"News - Windows Internet Explorer"), L"News.wmv");
    EXPECT_EQ(NameFor(L"News - Microsoft Internet Explorer"), L"News.wmv");
    EXPECT_EQ(NameFor(L"Weather Internet Explorer"), L"Weather.wmv");
    EXPECT_EQ(NameFor(L"Mail - Opera"), L"Mail.wmv");
    EXPECT_EQ(NameFor(L"SHOUTING - GOOGLE CHROME"), L"SHOUTING.wmv");
    // " - mozilla" marks the browser, " mozilla" is where it is cut.
    EXPECT_EQ(NameFor(L"Docs - Mozilla Firefox"), L"Docs -.wmv");
}

TEST_F(NamingTest, BrowserTitlesAreCleanedAndCutTo25) {
    EXPECT_EQ(NameFor(L"A very long page title that goes on - Google Chrome"), L"A very long page title th.wmv");
    EXPECT_EQ(NameFor(L"a:b?c<d>e\"f - Opera"), L"abcdef.wmv");
}

TEST_F(NamingTest, BrowserEndingAtTheStartGivesTelvane) {
    EXPECT_EQ(NameFor(L" - Google Chrome"), L"Telvane.wmv");
    EXPECT_EQ(NameFor(L" - Opera"), L"Telvane.wmv");
    // " mozilla" is looked for, which stands behind the " -".
    EXPECT_EQ(NameFor(L" - Mozilla Firefox"), L" -.wmv");
}

TEST_F(NamingTest, TitlesWithoutBrowserEndingAreNotCut) {
    const std::wstring title = L"A conversation with a rather long title indeed";
    EXPECT_EQ(NameFor(title), title + L".wmv");
}

TEST_F(NamingTest, AddressSchemeIsDropped) {
    EXPECT_EQ(NameFor(L"skype://Bob"), L"Bob.wmv");
    EXPECT_EQ(NameFor(L"https://web.skype.com - Google Chrome"), L"web.skype.com.wmv");
}

TEST_F(NamingTest, LiveConversationWindowUsesTheConversationTitle) {
    EXPECT_EQ(NameFor(L"LiveConversationWindow", L"Carol"), L"Carol.wmv");
}

TEST_F(NamingTest, PlaylistBecomesHulu) { EXPECT_EQ(NameFor(L"Show#in-playlist"), L"Hulu.wmv"); }

TEST_F(NamingTest, NothingBeforeTheExtensionGivesTheTickCount) {
    system.tickCount = 0xBEEF;
    EXPECT_EQ(NameFor(L"___"), L"0000beef");
    EXPECT_EQ(NameFor(L"Work\\"), L"0000beef");
    system.tickCount = 0xFEDCBA98u;
    // The browser step cleans "??" away.
    EXPECT_EQ(NameFor(L"?? - Google Chrome"), L"fedcba98");
    Touch(L"fedcba98");
    EXPECT_EQ(NameFor(L"?? - Google Chrome"), L"fedcba98[2]");
}

TEST_F(NamingTest, EarlierCounterIsReplaced) {
    EXPECT_EQ(NameFor(L"Bob[5]"), L"Bob.wmv");
    Touch(L"Bob.wmv");
    EXPECT_EQ(NameFor(L"Bob[5]"), L"Bob[2].wmv");
    EXPECT_EQ(UniqueName(L"Bob[5].wmv"), L"Bob[2].wmv");
}

TEST_F(NamingTest, UniqueNameExtensions) {
    EXPECT_EQ(UniqueName(L"Movie.dvd.mpg"), L"Movie.dvd.mpg");
    Touch(L"Movie.dvd.mpg");
    EXPECT_EQ(UniqueName(L"Movie.dvd.mpg"), L"Movie[2].dvd.mpg");
    // At most three characters after the ".".
    EXPECT_EQ(UniqueName(L"clip.abcdef"), L"clip.abc");
    EXPECT_EQ(UniqueName(L"a.b.wmv"), L"a.b.wmv");
    EXPECT_EQ(UniqueName(L".hidden"), L".hidden");
    EXPECT_EQ(UniqueName(L"plain"), L"plain");
}

TEST_F(NamingTest, BracketInTheTitleNeverReusesAName) {
    Touch(L"Meeting [draft.wmv");
    Touch(L"Meeting [draft[2].wmv");
    EXPECT_EQ(NameFor(L"Meeting [draft"), L"Meeting [draft[3].wmv");
}

TEST_F(NamingTest, FailMarkerInATitleIsAName) { EXPECT_EQ(NameFor(L"Plan_FAIL_B"), L"Plan_FAIL_B.wmv"); }

TEST_F(NamingTest, FailMarkerInTheFolderIsAFolder) {
    const fs::path inner = root / "old_FAIL_stuff";
    ASSERT_TRUE(fs::create_directory(inner));
    UseFolder(WideOf(inner));
    EXPECT_EQ(NameFor(L"Bob"), L"Bob.wmv");
}

TEST_F(NamingTest, MissingFolderFailsWithTheMessage) {
    UseFolder(WideOf(root / "gone"));
    ASSERT_TRUE(CopyText(OutputPath, L"stale"));
    EXPECT_FALSE(SetupOutputFile(L"Bob", L""));
    EXPECT_EQ(std::wstring(TextOf(OutputPath)), L"");
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0], L"Cannot find recording folder " + folder);

    EXPECT_EQ(UniqueName(L"Bob.wmv"), L"_FAIL_");
    EXPECT_EQ(system.messages.size(), 2u);
}

TEST_F(NamingTest, FolderThatIsAFileFails) {
    Touch(L"notafolder");
    UseFolder(WideOf(root / "notafolder"));
    EXPECT_FALSE(SetupOutputFile(L"Bob", L""));
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0], L"Cannot find recording folder " + folder);
}

TEST_F(NamingTest, LongTitleKeepsItsExtensionAndFitsThePath) {
    const std::wstring title(3000, L'a');
    const std::wstring first = NameFor(title);
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first.substr(first.size() - 4), L".wmv");
    EXPECT_LE(std::wstring(TextOf(OutputPath)).size(), kOutputTextCapacity - 1);
    // Room was kept for a counter.
    EXPECT_EQ(folder.size() + 1 + first.size(), kOutputTextCapacity - 1 - 13);
}

TEST_F(NamingTest, TitleOfUnderscoresAtTheLimitKeepsTheTickName) {
    system.tickCount = 1;
    EXPECT_EQ(NameFor(std::wstring(5000, L'_')), L"00000001");
}

#ifndef _WIN32
// Windows paths stop far earlier; on Linux a folder can take most of the 999.
fs::path FolderOfLength(const fs::path& root, std::size_t length) {
    fs::path deep = root;
    while (deep.native().size() + 201 < length) deep /= std::string(200, 'd');
    deep /= std::string(length - deep.native().size() - 1, 'e');
    return deep;
}

TEST_F(NamingTest, LongFolderLeavesRoomForAShortName) {
    const fs::path deep = FolderOfLength(root, 990);
    ASSERT_EQ(deep.native().size(), 990u);
    ASSERT_TRUE(fs::create_directories(deep));
    UseFolder(WideOf(deep));
    EXPECT_EQ(NameFor(L"B"), L"B.wmv");
    EXPECT_EQ(std::wstring(TextOf(OutputPath)).size(), 996u);
}

TEST_F(NamingTest, FolderTooLongForTheNameFails) {
    const fs::path deep = FolderOfLength(root, 995);
    ASSERT_EQ(deep.native().size(), 995u);
    ASSERT_TRUE(fs::create_directories(deep));
    UseFolder(WideOf(deep));
    EXPECT_FALSE(SetupOutputFile(L"B", L""));
    EXPECT_EQ(std::wstring(TextOf(OutputPath)), L"");
    EXPECT_TRUE(system.messages.empty());
    EXPECT_EQ(UniqueName(L"B.wmv"), L"_FAIL_");
}
#endif

TEST_F(NamingTest, SanitizeNameInPlaceAndLogged) {
    wchar_t text[kOutputTextCapacity] = L"a\\b/c:d*e<f>g|h?i&j=k%l`m\"n\x01o\x1fp -#!'()[].q";
    SanitizeName(text);
    EXPECT_EQ(std::wstring(TextOf(text)), L"abcdefghijklmnop -#!'()[].q");

    wchar_t small[8] = L"A:b";
    SanitizeName(small);
    EXPECT_EQ(std::wstring(TextOf(small)), L"Ab");
    EXPECT_EQ(LogText(), L"\r\n\r\n 41 3A 62");

    wchar_t euro[4] = L"\u20AC1";
    SanitizeName(euro);
    EXPECT_EQ(LogText(), L"\r\n\r\n 20AC 31");
}

TEST_F(NamingTest, SanitizeNameBufferWithoutZeroIsBounded) {
    wchar_t text[4] = {L'a', L'?', L'b', L'c'};
    SanitizeName(text, 4);
    EXPECT_EQ(std::wstring(text), L"ab");

    std::wstring long_(2000, L'x');
    SanitizeName(long_);
    EXPECT_EQ(long_.size(), kOutputTextCapacity - 1);
}

}  // namespace
