// The profile text parsed back as XML: well-formed, and every value of the
// call on its own attribute of its own element.

#include <expat.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "graph/ProfileWriter.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "tests/native/graph/FakeProfileSystem.h"

namespace {

struct Element {
    std::string path;  // "profile/streamconfig/wmmediatype"
    std::map<std::string, std::string> attributes;
    std::string text;  // character data directly inside
};

struct Parsed {
    bool wellFormed = false;
    std::vector<Element> elements;
    std::vector<size_t> open;
};

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* parsed = static_cast<Parsed*>(data);
    Element element;
    element.path = parsed->open.empty() ? name : parsed->elements[parsed->open.back()].path + "/" + name;
    for (int i = 0; attributes[i]; i += 2) element.attributes[attributes[i]] = attributes[i + 1];
    parsed->open.push_back(parsed->elements.size());
    parsed->elements.push_back(element);
}

void OnEnd(void* data, const XML_Char*) { static_cast<Parsed*>(data)->open.pop_back(); }

void OnText(void* data, const XML_Char* text, int length) {
    auto* parsed = static_cast<Parsed*>(data);
    parsed->elements[parsed->open.back()].text.append(text, static_cast<size_t>(length));
}

// Character data with its runs of blanks and line breaks made one blank,
// none at either end.
std::string Collapsed(const std::string& text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

Parsed ParseProfileBuffer() {
    std::string utf8;
    for (const wchar_t* p = ProfileBuffer; *p; ++p) utf8 += static_cast<char>(*p);
    Parsed parsed;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &parsed);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    parsed.wellFormed = XML_Parse(parser, utf8.data(), static_cast<int>(utf8.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return parsed;
}

using Attributes = std::map<std::string, std::string>;

const Attributes kRoot = {{"version", "589824"}, {"storageformat", "1"}, {"name", "Quill Profile"}};

Attributes AudioStream(const std::string& bitrate) {
    return {{"majortype", "{73647561-0000-0010-8000-00AA00389B71}"},
            {"streamnumber", "1"},
            {"streamname", "Audio Stream"},
            {"inputname", "Audio409"},
            {"bitrate", bitrate},
            {"bufferwindow", "-1"},
            {"reliabletransport", "0"},
            {"decodercomplexity", ""},
            {"rfc1766langid", "en-us"}};
}

Attributes VideoStream(const std::string& number, const std::string& bitrate, const std::string& window) {
    return {{"majortype", "{73646976-0000-0010-8000-00AA00389B71}"},
            {"streamnumber", number},
            {"streamname", "Video Stream"},
            {"inputname", "Video409"},
            {"bitrate", bitrate},
            {"bufferwindow", window},
            {"reliabletransport", "0"},
            {"decodercomplexity", ""},
            {"rfc1766langid", "en-us"}};
}

const Attributes kZeroRect = {{"left", "0"}, {"top", "0"}, {"right", "0"}, {"bottom", "0"}};

std::vector<std::pair<std::string, Attributes>> AudioElements(const std::string& prefix, const std::string& bitrate,
                                                              const std::string& blockAlign,
                                                              const std::string& bytesPerSec,
                                                              const std::string& codecData) {
    return {{prefix, AudioStream(bitrate)},
            {prefix + "/wmmediatype",
             {{"subtype", "{00000161-0000-0010-8000-00AA00389B71}"},
              {"bfixedsizesamples", "1"},
              {"btemporalcompression", "0"},
              {"lsamplesize", blockAlign}}},
            {prefix + "/wmmediatype/waveformatex",
             {{"wFormatTag", "353"},
              {"nChannels", "2"},
              {"nSamplesPerSec", "44100"},
              {"nAvgBytesPerSec", bytesPerSec},
              {"nBlockAlign", blockAlign},
              {"wBitsPerSample", "16"},
              {"codecdata", codecData}}}};
}

std::vector<std::pair<std::string, Attributes>> VideoElements(const std::string& prefix, const Attributes& stream,
                                                              const std::string& bitrate, const std::string& frameTime,
                                                              const std::string& width, const std::string& height) {
    const std::string header = prefix + "/wmmediatype/videoinfoheader";
    return {{prefix, stream},
            {prefix + "/videomediaprops", {{"maxkeyframespacing", "100000000"}, {"quality", "80"}}},
            {prefix + "/wmmediatype",
             {{"subtype", "{31564D57-0000-0010-8000-00AA00389B71}"},
              {"bfixedsizesamples", "0"},
              {"btemporalcompression", "1"},
              {"lsamplesize", "0"}}},
            {header, {{"dwbitrate", bitrate}, {"dwbiterrorrate", "0"}, {"avgtimeperframe", frameTime}}},
            {header + "/rcsource", kZeroRect},
            {header + "/rctarget", kZeroRect},
            {header + "/bitmapinfoheader",
             {{"biwidth", width},
              {"biheight", height},
              {"biplanes", "1"},
              {"bibitcount", "24"},
              {"bicompression", "WMV1"},
              {"bisizeimage", "0"},
              {"bixpelspermeter", "0"},
              {"biypelspermeter", "0"},
              {"biclrused", "0"},
              {"biclrimportant", "0"}}}};
}

void ExpectElements(const Parsed& parsed, const std::vector<std::pair<std::string, Attributes>>& expected) {
    ASSERT_TRUE(parsed.wellFormed);
    ASSERT_EQ(parsed.elements.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(parsed.elements[i].path, expected[i].first);
        EXPECT_EQ(parsed.elements[i].attributes, expected[i].second) << expected[i].first;
    }
}

class ProfileXml : public ::testing::Test {
protected:
    void SetUp() override {
        CopyText(SettingsFolder, L"C:\\Telvane 2");
        VideoCodecSelector = 4;
    }
    FakeProfileSystem system;
};

TEST_F(ProfileXml, AudioVideoProfileParsesBackToItsValues) {
    ASSERT_TRUE(WriteAudioVideoProfile(640, 480, 500, 64, 15));
    Attributes root = kRoot;
    root["description"] = "Streams: 1 audio 1 video";
    std::vector<std::pair<std::string, Attributes>> expected = {{"profile", root}};
    for (auto& e : AudioElements("profile/streamconfig", "64040", "1487", "8005", "008800000F0000000000"))
        expected.push_back(e);
    for (auto& e :
         VideoElements("profile/streamconfig", VideoStream("2", "500000", "5000"), "500000", "666666", "640", "480"))
        expected.push_back(e);
    const Parsed parsed = ParseProfileBuffer();
    ExpectElements(parsed, expected);
    for (const Element& e : parsed.elements) EXPECT_EQ(Collapsed(e.text), "") << e.path;
}

TEST_F(ProfileXml, VideoProfileParsesBackWithItsCharacterData) {
    ASSERT_TRUE(WriteVideoProfile(320, 240, 6000, 25));
    Attributes root = kRoot;
    root["description"] = "Streams: 1 video";
    std::vector<std::pair<std::string, Attributes>> expected = {{"profile", root}};
    for (auto& e :
         VideoElements("profile/streamconfig", VideoStream("1", "6000000", "-1"), "6000000", "400000", "320", "240"))
        expected.push_back(e);
    const Parsed parsed = ParseProfileBuffer();
    ExpectElements(parsed, expected);
    ASSERT_GE(parsed.elements.size(), 2u);
    EXPECT_EQ(Collapsed(parsed.elements[1].text),
              "vbrquality=\"80\" vbrenabled=\"1\" bitratemax=\"0\" bufferwindowmax=\"0\"");
}

TEST_F(ProfileXml, AudioProfileParsesBackToItsRow) {
    ASSERT_TRUE(WriteAudioProfile(32));
    Attributes root = kRoot;
    root["description"] = "Streams: 1 audio";
    std::vector<std::pair<std::string, Attributes>> expected = {{"profile", root}};
    for (auto& e : AudioElements("profile/streamconfig", "31960", "742", "3995", "008800001F0000000000"))
        expected.push_back(e);
    ExpectElements(ParseProfileBuffer(), expected);
}

}  // namespace
