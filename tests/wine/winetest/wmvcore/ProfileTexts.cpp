#include "tests/wine/winetest/wmvcore/ProfileTexts.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

std::wstring Format(const wchar_t* format, ...) {
    std::vector<wchar_t> buffer(10000);
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(buffer.data(), static_cast<size_t>(n));
}

std::wstring Lines(const std::wstring& text, const wchar_t* eol) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += eol;
        else
            out += c;
    }
    return out;
}

const wchar_t kRootStart[] =
    L"<profile version=\"589824\" \n"
    L"             storageformat=\"1\" \n"
    L"             name=\"Quill Profile\" \n"
    L"             description=\"%ls\"> \n";

const wchar_t kAudioStream[] =
    L"\t\t<streamconfig majortype=\"{73647561-0000-0010-8000-00AA00389B71}\" \n"
    L"\t\t             streamnumber=\"1\" \n"
    L"\t\t             streamname=\"Audio Stream\" \n"
    L"\t\t             inputname=\"Audio409\" \n"
    L"\t\t             bitrate=\"%d\" \n"
    L"\t\t             bufferwindow=\"-1\" \n"
    L"\t\t             reliabletransport=\"0\" \n"
    L"\t\t             decodercomplexity=\"\" \n"
    L"\t\t             rfc1766langid=\"en-us\" \n"
    L"\t\t             > \n"
    L"\t\t <wmmediatype subtype=\"{00000161-0000-0010-8000-00AA00389B71}\" \n"
    L"\t\t             bfixedsizesamples=\"1\" \n"
    L"\t\t             btemporalcompression=\"0\" \n"
    L"\t\t             lsamplesize=\"%d\"> \n"
    L"\t\t\t<waveformatex wFormatTag=\"353\" \n"
    L"\t\t\t              nChannels=\"2\" \n"
    L"\t\t\t              nSamplesPerSec=\"44100\" \n"
    L"\t\t\t              nAvgBytesPerSec=\"%d\" \n"
    L"\t\t\t              nBlockAlign=\"%d\" \n"
    L"\t\t\t              wBitsPerSample=\"16\" \n"
    L"\t\t\t              codecdata=\"%ls\"/> \n"
    L"\t\t </wmmediatype> \n"
    L"\t\t</streamconfig> \n";

// %ls after the start tag: the video-only text's character-data line, or
// nothing.
const wchar_t kVideoStream[] =
    L"\t\t<streamconfig majortype=\"{73646976-0000-0010-8000-00AA00389B71}\" \n"
    L"\t\t             streamnumber=\"%d\" \n"
    L"\t\t             streamname=\"Video Stream\" \n"
    L"\t\t             inputname=\"Video409\" \n"
    L"\t\t             bitrate=\"%d\" \n"
    L"\t\t             bufferwindow=\"%d\" \n"
    L"\t\t             reliabletransport=\"0\" \n"
    L"\t\t             decodercomplexity=\"\" \n"
    L"\t\t             rfc1766langid=\"en-us\" \n"
    L"\t\t             >%ls \n"
    L"\t\t <videomediaprops maxkeyframespacing=\"100000000\" \n"
    L"\t\t                  quality=\"80\"/> \n"
    L"\t\t <wmmediatype subtype=\"%ls\" \n"
    L"\t\t             bfixedsizesamples=\"0\" \n"
    L"\t\t             btemporalcompression=\"1\" \n"
    L"\t\t             lsamplesize=\"0\"> \n"
    L"\t\t <videoinfoheader dwbitrate=\"%d\" \n"
    L"\t\t                  dwbiterrorrate=\"0\" \n"
    L"\t\t                  avgtimeperframe=\"%d\"> \n"
    L"\t\t  <rcsource left=\"0\" \n"
    L"\t\t            top=\"0\" \n"
    L"\t\t            right=\"0\" \n"
    L"\t\t            bottom=\"0\"/> \n"
    L"\t\t  <rctarget left=\"0\" \n"
    L"\t\t            top=\"0\" \n"
    L"\t\t            right=\"0\" \n"
    L"\t\t            bottom=\"0\"/> \n"
    L"\t\t      <bitmapinfoheader biwidth=\"%d\" \n"
    L"\t\t                        biheight=\"%d\" \n"
    L"\t\t                        biplanes=\"1\" \n"
    L"\t\t                        bibitcount=\"24\" \n"
    L"\t\t                        bicompression=\"%ls\" \n"
    L"\t\t                        bisizeimage=\"0\" \n"
    L"\t\t                        bixpelspermeter=\"0\" \n"
    L"\t\t                        biypelspermeter=\"0\" \n"
    L"\t\t                        biclrused=\"0\" \n"
    L"\t\t                        biclrimportant=\"0\"/> \n"
    L"\t\t </videoinfoheader> \n"
    L"\t\t </wmmediatype> \n"
    L"\t\t</streamconfig> \n";

const wchar_t kRootEnd[] = L"</profile> \n";

const wchar_t kVbrLine[] = L"\n vbrquality=\"80\" vbrenabled=\"1\" bitratemax=\"0\" bufferwindowmax=\"0\"";

std::wstring Audio(const AudioRate& a) {
    return Format(kAudioStream, a.bitrate, a.blockAlign, a.avgBytesPerSec, a.blockAlign, a.codecData);
}

std::wstring Video(const VideoShape& v, int number, int bufferWindow, const wchar_t* characterData) {
    return Format(kVideoStream, number, v.bitrate, bufferWindow, characterData, v.subtype, v.bitrate, v.avgTimePerFrame,
                  v.width, v.height, v.fourcc);
}

}  // namespace

std::wstring VideoOnlyProfile(const VideoShape& video) {
    return Format(kRootStart, L"Streams: 1 video") + Video(video, 1, -1, kVbrLine) + kRootEnd;
}

std::wstring AudioOnlyProfile(const AudioRate& audio) {
    return Format(kRootStart, L"Streams: 1 audio") + Audio(audio) + kRootEnd;
}

std::wstring AudioVideoProfile(const AudioRate& audio, const VideoShape& video) {
    return Lines(Format(kRootStart, L"Streams: 1 audio 1 video") + Audio(audio) + Video(video, 2, 5000, L"") + kRootEnd,
                 L"\r\n");
}
