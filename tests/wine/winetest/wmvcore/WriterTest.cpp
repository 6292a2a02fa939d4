// The stand-alone writer: it takes the profile and the file name the
// recorder gives it and keeps header attributes; it never writes.

#include <windows.h>

#include <nserror.h>
#include <wmsdkidl.h>

#include <cstring>

#include "tests/wine/winetest/wmvcore/Cases.h"
#include "tests/wine/winetest/wmvcore/StandIn.h"

namespace {

class WriterTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        ASSERT_EQ(m_createWriter(nullptr, &m_writer), S_OK);
        ASSERT_TRUE(m_writer);
    }
    ComPtr<IWMWriter> m_writer;
};

TEST_F(WriterTest, TakesTheProfileForTheFileName) {
    DWORD inputs = 99;
    EXPECT_EQ(m_writer->GetInputCount(&inputs), kInvalidRequest) << "no profile yet";
    EXPECT_EQ(m_writer->SetProfile(nullptr), E_POINTER);

    ComPtr<IWMProfile> profile = Load(AudioVideoProfile(kAudio64, kVga15));
    ASSERT_TRUE(profile);
    EXPECT_EQ(RefCount(profile.Get()), 1u);
    ASSERT_EQ(m_writer->SetProfile(profile.Get()), S_OK);
    EXPECT_EQ(RefCount(profile.Get()), 2u) << "the writer keeps a reference";
    EXPECT_EQ(m_writer->GetInputCount(&inputs), S_OK);
    EXPECT_EQ(inputs, 2u);

    EXPECT_EQ(m_writer->SetOutputFilename(nullptr), E_INVALIDARG);
    EXPECT_EQ(m_writer->SetOutputFilename(L""), E_INVALIDARG);
    EXPECT_EQ(m_writer->SetOutputFilename(L"C:\\users\\Public\\no such folder\\call.wmv"), NS_E_FILE_OPEN_FAILED);
    EXPECT_EQ(m_writer->SetOutputFilename(L"C:\\windows\\win.ini\\call.wmv"), NS_E_FILE_OPEN_FAILED)
        << "a file is no folder";
    EXPECT_EQ(m_writer->SetOutputFilename(L"C:\\users\\Public\\Videos\\call with Ann.wmv"), S_OK);
    EXPECT_EQ(m_writer->BeginWriting(), E_NOTIMPL);
    EXPECT_EQ(::GetFileAttributesW(L"C:\\users\\Public\\Videos\\call with Ann.wmv"), INVALID_FILE_ATTRIBUTES)
        << "the writer creates no file";

    m_writer = nullptr;
    EXPECT_EQ(RefCount(profile.Get()), 1u) << "released with the writer";
}

TEST_F(WriterTest, RefusesAProfileWithoutStreams) {
    ComPtr<IWMProfile> empty;
    ASSERT_EQ(m_manager->CreateEmptyProfile(WMT_VER_9_0, &empty), S_OK);
    EXPECT_EQ(m_writer->SetProfile(empty.Get()), kInvalidProfile);
    EXPECT_EQ(RefCount(empty.Get()), 1u);
}

TEST_F(WriterTest, KeepsHeaderAttributes) {
    ComPtr<IWMHeaderInfo> header;
    ASSERT_EQ(m_writer.As(header), S_OK);

    const wchar_t title[] = L"Call with Ann";
    const auto* titleBytes = reinterpret_cast<const BYTE*>(title);
    ASSERT_EQ(header->SetAttribute(0, L"Title", WMT_TYPE_STRING, titleBytes, sizeof title), S_OK);
    const DWORD seconds = 42;
    ASSERT_EQ(header->SetAttribute(0, L"Seconds", WMT_TYPE_DWORD, reinterpret_cast<const BYTE*>(&seconds), 4), S_OK);
    EXPECT_EQ(header->SetAttribute(0, nullptr, WMT_TYPE_DWORD, titleBytes, 4), E_INVALIDARG);
    EXPECT_EQ(header->SetAttribute(0, L"Bad", WMT_TYPE_DWORD, nullptr, 4), E_INVALIDARG);

    WORD stream = 0, length = 0, count = 0;
    WMT_ATTR_DATATYPE type = WMT_TYPE_GUID;
    ASSERT_EQ(header->GetAttributeByName(&stream, L"Title", &type, nullptr, &length), S_OK);
    EXPECT_EQ(type, WMT_TYPE_STRING);
    EXPECT_EQ(length, sizeof title);
    BYTE value[64] = {};
    WORD small = length - 1;
    EXPECT_EQ(header->GetAttributeByName(&stream, L"Title", &type, value, &small), kBufferTooSmall);
    EXPECT_EQ(small, sizeof title);
    ASSERT_EQ(header->GetAttributeByName(&stream, L"Title", &type, value, &length), S_OK);
    EXPECT_EQ(std::memcmp(value, title, sizeof title), 0);

    const DWORD later = 43;
    ASSERT_EQ(header->SetAttribute(0, L"Seconds", WMT_TYPE_DWORD, reinterpret_cast<const BYTE*>(&later), 4), S_OK);
    DWORD read = 0;
    length = sizeof read;
    ASSERT_EQ(header->GetAttributeByName(&stream, L"Seconds", &type, reinterpret_cast<BYTE*>(&read), &length), S_OK);
    EXPECT_EQ(read, 43u) << "set again replaces";
    EXPECT_EQ(header->GetAttributeCount(0, &count), S_OK);
    EXPECT_EQ(count, 2);

    EXPECT_EQ(header->GetAttributeByName(&stream, L"Author", &type, nullptr, &length), kNotFound);
    stream = 1;
    EXPECT_EQ(header->GetAttributeByName(&stream, L"Title", &type, nullptr, &length), kNotFound) << "other stream";
    EXPECT_EQ(header->GetMarkerCount(&count), E_NOTIMPL);
}

}  // namespace
