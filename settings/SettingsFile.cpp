#include "settings/SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <istream>
#include <string_view>
#include <type_traits>
#include <utility>

#include "framework/base/LeadingInt.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"

SettingsRecord Settings;
wchar_t DurationText[kDurationTextCapacity] = {};
wchar_t AppDataFolder[kSettingsPathCapacity] = {};
wchar_t SettingsFolder[kSettingsPathCapacity] = {};
wchar_t SettingsPath[kSettingsPathCapacity] = {};
void (*ClearRecordingGraphFlags)() = nullptr;

namespace {

constexpr char kHeader[] = "Telvane Settings -- Do not delete or alter";
constexpr std::size_t kStarCount = 53;
constexpr char kClosing[] = "Made by Telvane";

// A line is read into a 10,000-character buffer: at most 9,999 characters
// count, the rest of a longer line is dropped. Up to four bytes make one
// character, so this many bytes always hold the characters that count.
constexpr std::size_t kLineCapacity = 10000;
constexpr std::size_t kMaxLineBytes = 4 * (kLineCapacity - 1);

enum class Kind { Number, Real, Text };

struct Field {
    const wchar_t* key;
    Kind kind;
    int SettingsRecord::*number;
    float SettingsRecord::*real;
    wchar_t* (*text)(SettingsRecord&);
    const wchar_t* (*constText)(const SettingsRecord&);
    std::size_t capacity;
};

template <auto M>
wchar_t* TextAt(SettingsRecord& s) {
    return s.*M;
}
template <auto M>
const wchar_t* ConstTextAt(const SettingsRecord& s) {
    return s.*M;
}

constexpr Field Number(const wchar_t* key, int SettingsRecord::*m) {
    return Field{key, Kind::Number, m, nullptr, nullptr, nullptr, 0};
}
constexpr Field Real(const wchar_t* key, float SettingsRecord::*m) {
    return Field{key, Kind::Real, nullptr, m, nullptr, nullptr, 0};
}
template <auto M>
constexpr Field Text(const wchar_t* key) {
    using Array = std::remove_reference_t<decltype(std::declval<SettingsRecord&>().*M)>;
    return Field{key, Kind::Text, nullptr, nullptr, &TextAt<M>, &ConstTextAt<M>, std::extent_v<Array>};
}

using S = SettingsRecord;

// Where a field stands in the read order: the order in which a line is
// tested for keys, the first key found anywhere in the line deciding. The
// read order is the file's but for three keys tested first ("Position: ",
// "FullScreen: ", "AutoMark: ") and "Cursor: " before "Filters: ". Every
// "AutoMark: " line loads the capture source (the second of the two keys), so
// the last one in the file wins; "Minimize: " is never loaded.
constexpr int kNotRead = -1;

struct Line {
    Field field;
    int readRank;
};

// The file's lines, in order.
constexpr Line kFileLines[] = {
    {Text<&S::RecordingFolder>(L"Recording Folder: "), 3},
    {Number(L"Protocol: ", &S::Protocol), 4},
    {Number(L"Video Bitrate: ", &S::VideoBitrate), 5},
    {Number(L"Audio Bitrate: ", &S::AudioBitrate), 6},
    {Real(L"Frame Rate: ", &S::FrameRate), 7},
    {Text<&S::AudioSource>(L"Audio Source: "), 8},
    {Text<&S::AudioInput>(L"Audio Input: "), 9},
    {Text<&S::AudioOutput>(L"Audio Output: "), 10},
    {Number(L"Max File Time: ", &S::MaxFileTime), 11},
    {Number(L"Audio Only: ", &S::AudioOnly), 12},
    {Number(L"Video Only: ", &S::VideoOnly), 13},
    {Number(L"OnTop: ", &S::OnTop), 14},
    {Number(L"VistaAudio: ", &S::VistaAudio), 15},
    {Number(L"SetTopWindow: ", &S::SetTopWindow), 16},
    {Number(L"xTop: ", &S::xTop), 17},
    {Number(L"yTop: ", &S::yTop), 18},
    {Number(L"xBottom: ", &S::xBottom), 19},
    {Number(L"yBottom: ", &S::yBottom), 20},
    {Number(L"MPEG-4: ", &S::Mpeg4), 21},
    {Number(L"Bitcount: ", &S::Bitcount), 22},
    {Number(L"Filters: ", &S::Filters), 24},
    {Number(L"Cursor: ", &S::Cursor), 23},
    {Number(L"Install: ", &S::Install), 25},
    {Number(L"User: ", &S::User), 26},
    {Number(L"Message: ", &S::Message), 27},
    {Number(L"ShowVideo: ", &S::ShowVideo), 28},
    {Number(L"AutoMark: ", &S::AutoMarkSwitch), kNotRead},
    {Number(L"Basic: ", &S::Basic), 29},
    {Number(L"Defaults: ", &S::Defaults), 30},
    {Number(L"Minimize: ", &S::Minimize), kNotRead},
    {Number(L"Size: ", &S::Size), 31},
    {Number(L"FullScreen: ", &S::FullScreen), 1},
    {Number(L"HideWindow: ", &S::HideWindow), 32},
    {Text<&S::Hotkey>(L"Hotkey: "), 33},
    {Number(L"MiniClone: ", &S::MiniClone), 34},
    {Number(L"Monitor: ", &S::Monitor), 35},
    {Number(L"Dual Audio: ", &S::DualAudio), 36},
    {Text<&S::AudioSource1>(L"Audio Source1: "), 37},
    {Text<&S::AudioInput1>(L"Audio Input1: "), 38},
    {Text<&S::AudioOutput1>(L"Audio Output1: "), 39},
    {Number(L"AutoMark: ", &S::AutoMark), 2},
    {Text<&S::Position>(L"Position: "), 0},
    {Number(L"Scale: ", &S::Scale), 40},
    {Number(L"Setup: ", &S::Setup), 41},
};
static_assert(std::size(kFileLines) == 44);
constexpr std::size_t kReadCount = 42;

constexpr bool EachReadRankOnce() {
    for (std::size_t rank = 0; rank < kReadCount; ++rank) {
        int seen = 0;
        for (const Line& line : kFileLines) seen += line.readRank == static_cast<int>(rank) ? 1 : 0;
        if (seen != 1) return false;
    }
    return true;
}
static_assert(EachReadRankOnce());

// The read order, from the lines' ranks.
struct ReadOrder {
    const Field* fields[kReadCount] = {};
    ReadOrder() {
        for (const Line& line : kFileLines)
            if (line.readRank != kNotRead) fields[line.readRank] = &line.field;
    }
};

const ReadOrder& TheReadOrder() {
    static const ReadOrder order;
    return order;
}

void ApplyLine(std::wstring_view line, SettingsRecord& s) {
    for (const Field* entry : TheReadOrder().fields) {
        const Field& field = *entry;
        const std::size_t at = line.find(field.key);
        if (at == std::wstring_view::npos) continue;
        const std::wstring_view value = line.substr(at + std::char_traits<wchar_t>::length(field.key));
        switch (field.kind) {
            case Kind::Number:
                s.*field.number = LeadingInt(value);
                break;
            case Kind::Real:
                s.*field.real = LeadingReal(value);
                break;
            case Kind::Text:
                // Longer than the field: cut to what it holds.
                CopyText(field.text(s), field.capacity, value);
                break;
        }
        return;
    }
}

// Reads line after line; a line needs its line feed to count, so an
// unterminated last line (the closing line) is skipped.
void LoadLines(std::istream& in, SettingsRecord& s) {
    std::streambuf* buffer = in.rdbuf();
    if (!buffer) return;
    std::string bytes;
    bytes.reserve(256);
    for (;;) {
        bytes.clear();
        bool cut = false;
        bool ended = false;
        for (;;) {
            const int c = buffer->sbumpc();
            if (c == std::char_traits<char>::eof()) break;
            if (c == '\n') {
                ended = true;
                break;
            }
            if (bytes.size() < kMaxLineBytes)
                bytes.push_back(static_cast<char>(c));
            else
                cut = true;
        }
        if (!ended) return;
        // The file was written in text mode: CR LF is one line end.
        if (!cut && !bytes.empty() && bytes.back() == '\r') bytes.pop_back();
        // The line is C text: it ends at a zero byte.
        const std::size_t zero = bytes.find('\0');
        if (zero != std::string::npos) {
            bytes.resize(zero);
            cut = false;
        }
        std::wstring line = DecodeLine(bytes, cut);
        line.resize(FittingLength(line, kLineCapacity - 1));
        ApplyLine(line, s);
    }
}

void Show(const std::wstring& text) { CurrentSettingsSystem().ShowMessage(text, MessageButtons::Ok); }

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::string ValueText(const Field& field, const SettingsRecord& s) {
    switch (field.kind) {
        case Kind::Number:
            return std::to_string(s.*field.number);
        case Kind::Real: {
            char text[64];
            // Bounded: %.2f of the float range needs at most 39 + 4 characters.
            std::snprintf(text, sizeof text, "%.2f", static_cast<double>(s.*field.real));
            return text;
        }
        case Kind::Text: {
            const wchar_t* buffer = field.constText(s);
            std::size_t n = 0;
            while (n < field.capacity && buffer[n] != L'\0') ++n;
            std::wstring_view value(buffer, n);
            // A line break inside a value would make the rest of it a line of
            // its own that the next load could take for another key.
            const std::size_t lineBreak = value.find_first_of(L"\r\n");
            if (lineBreak != std::wstring_view::npos) value = value.substr(0, lineBreak);
            return EncodeUtf8(value);
        }
    }
    return {};
}

// Sets the default recordings folder when "Recording Folder" is empty.
// Returns false when that needed a write and the write failed.
bool DefaultRecordingFolder() {
    SettingsSystem& system = CurrentSettingsSystem();
    if (Settings.RecordingFolder[0] != L'\0') return true;
    if (Settings.User == 0) {
        std::wstring folder;
        if (system.VideosFolder(folder) && folder.size() + 14 < kSettingsTextCapacity) {
            folder += L"\\KQ Recordings";
        } else {
            folder = L".\\Recordings";
        }
        system.CreateFolder(folder);
        CopyText(Settings.RecordingFolder, folder);
        return WriteSettings() == 1;
    }
    if (Settings.User == 1) {
        const std::wstring folder = L"C:\\Users\\Public\\ZVC Recordings";
        CopyText(Settings.RecordingFolder, folder);
        system.CreateFolder(folder);
        WriteSettings();
        Show(L"Telvane recordings will be saved in:\n\n" + folder);
    }
    return true;
}

}  // namespace

std::string FormatSettingsText(const SettingsRecord& settings) {
    std::string out;
    out.reserve(2048);
    const std::string stars(kStarCount, '*');
    AppendLine(out, kHeader);
    AppendLine(out, stars);
    for (const Line& line : kFileLines) {
        const Field& field = line.field;
        AppendLine(out, EncodeUtf8(field.key) + ValueText(field, settings));
    }
    AppendLine(out, "");
    AppendLine(out, stars);
    out += kClosing;
    return out;
}

int ReadSettings() {
    SettingsSystem& system = CurrentSettingsSystem();
    const std::wstring path(TextOf(SettingsPath));
    std::unique_ptr<std::istream> in;
    if (!path.empty()) in = system.OpenForReading(path);
    if (!in) {
        Show(L"Cannot find or open file " + path + L". Cannot read settings");
        system.EndProcess(0);
        return 0;
    }
    LoadLines(*in, Settings);
    in.reset();

    // 1. Run-time switches start afresh.
    Settings.AutoMarkSwitch = 1;
    Settings.Minimize = 0;
    if (ClearRecordingGraphFlags) ClearRecordingGraphFlags();
    // 2. The Basic theme switch means something on Windows 7 only, background
    // recording everywhere but there.
    const bool vistaOrLater = system.VistaOrLater();
    const bool notWindows7 = system.NotWindows7();
    if (vistaOrLater && !notWindows7) Settings.HideWindow = 0;
    if (notWindows7) Settings.Basic = 0;
    // 3. An empty or inverted region; 64-bit so extreme edges cannot overflow.
    const std::int64_t width = static_cast<std::int64_t>(Settings.xBottom) - Settings.xTop;
    const std::int64_t height = static_cast<std::int64_t>(Settings.yBottom) - Settings.yTop;
    if (width <= 0 || height <= 0) {
        Settings.xTop = 150;
        Settings.yTop = 170;
        Settings.xBottom = 800;
        Settings.yBottom = 550;
    }
    // 4.
    Settings.OnTop = 1;
    // 5.
    if (Settings.FrameRate == 0) Settings.FrameRate = 25;
    // 6.
    DurationText[0] = L'\0';
    if (Settings.MaxFileTime > 0) FormatDuration(Settings.MaxFileTime);
    // 7.
    if (Settings.Bitcount != 24 && Settings.Bitcount != 32) Settings.Bitcount = 24;
    // 8.
    if (Settings.Protocol != 1 && Settings.Protocol != 4) Settings.Protocol = 1;
    // 9. and 10.
    if (!DefaultRecordingFolder()) return 0;
    return 1;
}

int WriteSettings() {
    SettingsSystem& system = CurrentSettingsSystem();
    const std::wstring path(TextOf(SettingsPath));
    bool written = false;
    if (!path.empty()) {
        // Same folder, so the replace is a rename within one volume.
        const std::wstring temp = path + L".tmp";
        written = system.WriteNewFile(temp, FormatSettingsText(Settings)) && system.ReplaceFileAtomically(temp, path);
        if (!written) system.RemoveFile(temp);
    }
    if (!written) {
        Show(L"Cannot find or open file " + path + L". Cannot save settings");
        return 0;
    }
    return 1;
}

std::wstring HoursMinutesSeconds(long long seconds) {
    if (seconds < 0) seconds = 0;
    const auto part = [](long long n) { return (n > 9 ? L"" : L"0") + std::to_wstring(n); };
    return part(seconds / 3600) + L":" + part(seconds % 3600 / 60) + L":" + part(seconds % 60);
}

void FormatDuration(int seconds) { CopyText(DurationText, HoursMinutesSeconds(seconds)); }
