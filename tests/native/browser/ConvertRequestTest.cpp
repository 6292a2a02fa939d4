// What "Convert files" hands to the converter: its folder, the refusal of
// a file being recorded, the list file and the command line.

#include <gtest/gtest.h>

#include "browser/ConvertRequest.h"

namespace {

TEST(ConvertRequest, ConverterFolderFromTheRegistryOrBesideTheProgram) {
    EXPECT_EQ(ConverterFolder(L"D:\\Tools\\Zorv", L"C:\\Program Files\\Telvane"), L"D:\\Tools\\Zorv");
    EXPECT_EQ(ConverterFolder(L"", L"C:\\Program Files\\Telvane"), L"C:\\Program Files\\Telvane\\Zorv Converter Lite");
    EXPECT_TRUE(IsConverterFolder(L"C:\\Program Files\\Telvane\\Zorv Converter Lite"));
    EXPECT_FALSE(IsConverterFolder(L"Zorv Converter Lite"));
    EXPECT_FALSE(IsConverterFolder(L"C:Zorv"));
    EXPECT_FALSE(IsConverterFolder(L""));
}

TEST(ConvertRequest, RefusesAFileThatIsBeingRecorded) {
    const std::wstring path = L"C:\\Users\\me\\Videos\\Telvane\\Bob 12-08.wmv";
    EXPECT_TRUE(SelectionBeingRecorded({L"a.wmv", L"Bob 12-08.wmv"}, path));
    EXPECT_FALSE(SelectionBeingRecorded({L"a.wmv", L"b.wmv"}, path));
    EXPECT_FALSE(SelectionBeingRecorded({L"Bob 12-08.wmv"}, L""));
    EXPECT_FALSE(SelectionBeingRecorded({}, path));
}

TEST(ConvertRequest, ListFileAndCommandLine) {
    EXPECT_EQ(ConvertListText({"C:\\REC\\CALL~1.WMV", "C:\\REC\\B.WMV"}), "C:\\REC\\CALL~1.WMV\nC:\\REC\\B.WMV\n");
    EXPECT_EQ(ConvertListText({}), "");
    const ConverterCommand command = ConverterCommandLine(L"C:\\Zorv Converter Lite", L"C:\\My Recordings");
    EXPECT_EQ(command.program, L"\"C:\\Zorv Converter Lite\\Zorv Converter.exe\"");
    EXPECT_EQ(command.arguments, L"-w \"Telvane\" -dir \"C:\\My Recordings\"");
}

}  // namespace
