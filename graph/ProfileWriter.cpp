#include "graph/ProfileWriter.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string_view>

#include "graph/ProfileSystem.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"

wchar_t ProfileBuffer[kProfileBufferUnits];
int VideoCodecSelector = 0;
wchar_t VideoSubtypeText[kVideoSubtypeCapacity];
wchar_t VideoFourCCText[kVideoFourCCCapacity];

const VideoCodec VideoCodecTable[kVideoCodecCount] = {
    {L"WMV3", L"{33564D57-0000-0010-8000-00AA00389B71}", L"Windows Media Video 9", true},
    {L"MP4S", L"{5334504D-0000-0010-8000-00AA00389B71}", L"ISO MPEG-4 video", true},
    {L"WVC1", L"{31435657-0000-0010-8000-00AA00389B71}", L"VC-1 (Windows Media Video 9 Advanced)", true},
    {L"MSS2", L"{3253534D-0000-0010-8000-00AA00389B71}", L"Windows Media Video 9 Screen", false},
    {L"WMV1", L"{31564D57-0000-0010-8000-00AA00389B71}", L"Windows Media Video 7", true},
};

// The 256 row repeats the 128 row's block alignment: that is the format the
// recorder has always asked for.
const AudioRate AudioRateTable[kAudioRateCount] = {
    {32, 31960, 742, 3995, L"008800001F0000000000"},     {64, 64040, 1487, 8005, L"008800000F0000000000"},
    {96, 96024, 4459, 12003, L"008800000F0000000000"},   {128, 128016, 5945, 16002, L"008800000F0000000000"},
    {192, 192016, 8917, 24002, L"008800000F0000000000"}, {256, 256032, 5945, 32004, L"008800000F0000000000"},
};

namespace {

ProfileSystem* g_system = nullptr;

// The templates, line by line. Each line of the text ends with a blank and
// the template's line break; the profile parser ignores the layout.
constexpr std::wstring_view kRootStart[] = {
    L"<profile version=\"589824\"",
    L"         storageformat=\"1\"",
    L"         name=\"Quill Profile\"",
};

constexpr std::wstring_view kAudioStream[] = {
    L"\t<streamconfig majortype=\"{73647561-0000-0010-8000-00AA00389B71}\"",
    L"\t              streamnumber=\"1\"",
    L"\t              streamname=\"Audio Stream\"",
    L"\t              inputname=\"Audio409\"",
    L"\t              bitrate=\"%d\"",
    L"\t              bufferwindow=\"-1\"",
    L"\t              reliabletransport=\"0\"",
    L"\t              decodercomplexity=\"\"",
    L"\t              rfc1766langid=\"en-us\">",
    L"\t\t<wmmediatype subtype=\"{00000161-0000-0010-8000-00AA00389B71}\"",
    L"\t\t             bfixedsizesamples=\"1\"",
    L"\t\t             btemporalcompression=\"0\"",
    L"\t\t             lsamplesize=\"%d\">",
    L"\t\t\t<waveformatex wFormatTag=\"353\"",
    L"\t\t\t              nChannels=\"2\"",
    L"\t\t\t              nSamplesPerSec=\"44100\"",
    L"\t\t\t              nAvgBytesPerSec=\"%d\"",
    L"\t\t\t              nBlockAlign=\"%d\"",
    L"\t\t\t              wBitsPerSample=\"16\"",
    L"\t\t\t              codecdata=\"%ls\"/>",
    L"\t\t</wmmediatype>",
    L"\t</streamconfig>",
};

constexpr std::wstring_view kVideoStreamHead[] = {
    L"\t<streamconfig majortype=\"{73646976-0000-0010-8000-00AA00389B71}\"",
};

constexpr std::wstring_view kVideoStreamNames[] = {
    L"\t              streamname=\"Video Stream\"",
    L"\t              inputname=\"Video409\"",
    L"\t              bitrate=\"%d\"",
};

constexpr std::wstring_view kVideoStreamTail[] = {
    L"\t              reliabletransport=\"0\"",
    L"\t              decodercomplexity=\"\"",
    L"\t              rfc1766langid=\"en-us\">",
};

// Text inside the video-only template's stream element: it configures nothing.
constexpr std::wstring_view kVideoOnlyCharacterData =
    L"\t\tvbrquality=\"80\" vbrenabled=\"1\" bitratemax=\"0\" bufferwindowmax=\"0\"";

constexpr std::wstring_view kVideoStreamBody[] = {
    L"\t\t<videomediaprops maxkeyframespacing=\"100000000\"",
    L"\t\t                 quality=\"80\"/>",
    L"\t\t<wmmediatype subtype=\"%ls\"",
    L"\t\t             bfixedsizesamples=\"0\"",
    L"\t\t             btemporalcompression=\"1\"",
    L"\t\t             lsamplesize=\"0\">",
    L"\t\t\t<videoinfoheader dwbitrate=\"%d\"",
    L"\t\t\t                 dwbiterrorrate=\"0\"",
    L"\t\t\t                 avgtimeperframe=\"%d\">",
    L"\t\t\t\t<rcsource left=\"0\"",
    L"\t\t\t\t          top=\"0\"",
    L"\t\t\t\t          right=\"0\"",
    L"\t\t\t\t          bottom=\"0\"/>",
    L"\t\t\t\t<rctarget left=\"0\"",
    L"\t\t\t\t          top=\"0\"",
    L"\t\t\t\t          right=\"0\"",
    L"\t\t\t\t          bottom=\"0\"/>",
    L"\t\t\t\t<bitmapinfoheader biwidth=\"%d\"",
    L"\t\t\t\t                  biheight=\"%d\"",
    L"\t\t\t\t                  biplanes=\"1\"",
    L"\t\t\t\t                  bibitcount=\"24\"",
    L"\t\t\t\t                  bicompression=\"%ls\"",
    L"\t\t\t\t                  bisizeimage=\"0\"",
    L"\t\t\t\t                  bixpelspermeter=\"0\"",
    L"\t\t\t\t                  biypelspermeter=\"0\"",
    L"\t\t\t\t                  biclrused=\"0\"",
    L"\t\t\t\t                  biclrimportant=\"0\"/>",
    L"\t\t\t</videoinfoheader>",
    L"\t\t</wmmediatype>",
    L"\t</streamconfig>",
};

constexpr std::wstring_view kRootEnd = L"</profile>";

class Template {
public:
    explicit Template(std::wstring_view lineEnd) : m_lineEnd(lineEnd) {}
    Template& Add(std::wstring_view line) {
        m_text.append(line).append(L" ").append(m_lineEnd);
        return *this;
    }
    template <std::size_t N>
    Template& Add(const std::wstring_view (&lines)[N]) {
        for (std::wstring_view line : lines) Add(line);
        return *this;
    }
    Template& Description(std::wstring_view streams) {
        return Add(L"         description=\"" + std::wstring(streams) + L"\">");
    }
    // The video stream: its number and buffer window differ between the
    // templates, and only the video-only one has the character-data line.
    Template& Video(int streamNumber, int bufferWindow, bool characterData) {
        Add(kVideoStreamHead);
        Add(L"\t              streamnumber=\"" + std::to_wstring(streamNumber) + L"\"");
        Add(kVideoStreamNames);
        Add(L"\t              bufferwindow=\"" + std::to_wstring(bufferWindow) + L"\"");
        Add(kVideoStreamTail);
        if (characterData) Add(kVideoOnlyCharacterData);
        return Add(kVideoStreamBody);
    }
    const std::wstring& Text() const { return m_text; }

private:
    std::wstring_view m_lineEnd;
    std::wstring m_text;
};

const std::wstring& VideoOnlyTemplate() {
    static const std::wstring text =
        Template(L"\n").Add(kRootStart).Description(L"Streams: 1 video").Video(1, -1, true).Add(kRootEnd).Text();
    return text;
}

const std::wstring& AudioOnlyTemplate() {
    static const std::wstring text =
        Template(L"\n").Add(kRootStart).Description(L"Streams: 1 audio").Add(kAudioStream).Add(kRootEnd).Text();
    return text;
}

const std::wstring& AudioVideoTemplate() {
    static const std::wstring text = Template(L"\r\n")
                                         .Add(kRootStart)
                                         .Description(L"Streams: 1 audio 1 video")
                                         .Add(kAudioStream)
                                         .Video(2, 5000, false)
                                         .Add(kRootEnd)
                                         .Text();
    return text;
}

void Show(const std::wstring& text) {
    if (g_system) g_system->ShowMessage(text);
}

// Copies the selected codec's texts; the audio+video writer does not offer
// every codec.
void SelectVideoCodec(bool audioVideo) {
    if (VideoCodecSelector < 0 || VideoCodecSelector >= kVideoCodecCount) return;
    const VideoCodec& codec = VideoCodecTable[VideoCodecSelector];
    if (audioVideo && !codec.audioVideo) return;
    CopyText(VideoSubtypeText, codec.subtype);
    CopyText(VideoFourCCText, codec.fourCC);
}

// Formats into the zeroed buffer, limited to its size with the terminator.
bool FormatProfile(const wchar_t* format, ...) {
    std::fill(std::begin(ProfileBuffer), std::end(ProfileBuffer), L'\0');
    va_list args;
    va_start(args, format);
    const int written = std::vswprintf(ProfileBuffer, kProfileBufferUnits, format, args);
    va_end(args);
    return written >= 0;
}

bool RefuseAudioRate(int kbps) {
    wchar_t text[128];
    std::swprintf(text, std::size(text), L"Invalid audio bit rate %d kbps (use 32, 64, 96, 128, 192 or 256)", kbps);
    Show(text);
    return false;
}

bool WriteProfileFile() {
    const std::wstring path = ProfileFilePath();
    if (!g_system || path.empty()) {
        Show(L"Cannot create profile  file");
        return false;
    }
    switch (g_system->WriteProfileFile(path, ProfileFileBytes())) {
        case ProfileFileResult::Written:
            return true;
        case ProfileFileResult::CannotCreate:
            Show(L"Cannot create profile  file");
            return false;
        case ProfileFileResult::CannotWrite:
            break;
    }
    Show(L"Cannot write profile");
    return false;
}

}  // namespace

void SetProfileSystem(ProfileSystem* system) { g_system = system; }

ProfileSystem* CurrentProfileSystem() { return g_system; }

const AudioRate* FindAudioRate(int kbps) {
    for (const AudioRate& row : AudioRateTable)
        if (row.kbps == kbps) return &row;
    return nullptr;
}

std::wstring ProfileFilePath() {
    std::wstring path(TextOf(SettingsFolder));
    path += L"\\QuillProf.prx";
    return path.size() < kProfilePathCapacity ? path : std::wstring();
}

std::vector<std::uint8_t> ProfileFileBytes() {
    std::vector<std::uint8_t> bytes(kProfileFileBytes);
    for (std::size_t i = 0; i < kProfileBufferUnits; ++i) {
        const auto unit = static_cast<std::uint32_t>(ProfileBuffer[i]);
        bytes[2 * i] = static_cast<std::uint8_t>(unit & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>((unit >> 8) & 0xFF);
    }
    return bytes;
}

bool WriteVideoProfile(int width, int height, int kbps, int fps) {
    if (width < 1 || height < 1 || kbps < 32 || kbps > 6000 || fps < 1 || fps > 200) return false;
    SelectVideoCodec(false);
    if (!FormatProfile(VideoOnlyTemplate().c_str(), kbps * 1000, VideoSubtypeText, kbps * 1000, 10000000 / fps, width,
                       height, VideoFourCCText))
        return false;
    return WriteProfileFile();
}

bool WriteAudioProfile(int kbps) {
    const AudioRate* audio = FindAudioRate(kbps);
    if (!audio) return RefuseAudioRate(kbps);
    if (!FormatProfile(AudioOnlyTemplate().c_str(), audio->bitrate, audio->blockAlign, audio->avgBytesPerSec,
                       audio->blockAlign, audio->codecData))
        return false;
    return WriteProfileFile();
}

bool WriteAudioVideoProfile(int width, int height, int videoKbps, int audioKbps, int fps) {
    if (width < 1 || height < 1 || videoKbps < 32 || videoKbps > 12000 || fps < 1 || fps > 200) {
        wchar_t text[160];
        std::swprintf(text, std::size(text), L"Invalid video parameter (width=%d,height=%d,kbps=%d,fps=%d)", width,
                      height, videoKbps, fps);
        Show(text);
        return false;
    }
    const AudioRate* audio = FindAudioRate(audioKbps);
    if (!audio) return RefuseAudioRate(audioKbps);
    SelectVideoCodec(true);
    if (!FormatProfile(AudioVideoTemplate().c_str(), audio->bitrate, audio->blockAlign, audio->avgBytesPerSec,
                       audio->blockAlign, audio->codecData, videoKbps * 1000, VideoSubtypeText, videoKbps * 1000,
                       10000000 / fps, width, height, VideoFourCCText))
        return false;
    return WriteProfileFile();
}
