#include "app/session/OutputNaming.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <unordered_set>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "app/session/NamingSystem.h"
#include "framework/base/LeadingInt.h"
#include "graph/RecordingOutput.h"
#include "settings/Settings.h"
#include "settings/SettingsText.h"

wchar_t OutputName[kOutputTextCapacity] = {};
wchar_t OutputPath[kOutputTextCapacity] = {};

const wchar_t* RecordingOutputPath() { return OutputPath; }
wchar_t LastRecording[kOutputTextCapacity] = {};

namespace {

constexpr std::size_t kTextLimit = kOutputTextCapacity - 1;  // 999 characters
constexpr std::size_t kMatchLimit = 499;                     // the lower-case copy holds 500
constexpr std::size_t kTitleBaseLimit = 25;
// Room for the widest counter: "[" + 2147483648 + "]".
constexpr std::size_t kCounterRoom = 12;

// Lower case for matching names the way the file system compares them. One
// unit in, one unit out, so positions found in a folded copy hold in the
// original. Covers ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic, the
// scripts of the titles we see; other characters compare as they are.
wchar_t FoldChar(wchar_t c) {
    const std::uint32_t u = static_cast<std::uint32_t>(c);
    if (u >= L'A' && u <= L'Z') return static_cast<wchar_t>(u + 32);
    if (u < 0x80) return c;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<wchar_t>(u + 32);
    // Latin Extended-A pairs capital/small; U+0130 (dotted I) has no
    // one-unit small form and stays.
    if ((u >= 0x100 && u <= 0x12F && u % 2 == 0) || (u >= 0x132 && u <= 0x137 && u % 2 == 0) ||
        (u >= 0x139 && u <= 0x148 && u % 2 == 1) || (u >= 0x14A && u <= 0x177 && u % 2 == 0) || u == 0x179 ||
        u == 0x17B || u == 0x17D)
        return static_cast<wchar_t>(u + 1);
    if (u == 0x178) return static_cast<wchar_t>(0xFF);
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return static_cast<wchar_t>(u + 32);
    if (u >= 0x410 && u <= 0x42F) return static_cast<wchar_t>(u + 32);
    if (u >= 0x400 && u <= 0x40F) return static_cast<wchar_t>(u + 80);
    return c;
}

std::wstring Folded(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = FoldChar(c);
    return out;
}

// The first `limit` units of text, without cutting a surrogate pair.
std::wstring Head(std::wstring_view text, std::size_t limit) {
    return std::wstring(text.substr(0, FittingLength(text, limit)));
}

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

bool IsRemoved(wchar_t c) {
    if (static_cast<std::uint32_t>(c) < 32) return true;
    switch (c) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'<':
        case L'>':
        case L'|':
        case L'?':
        case L'&':
        case L'=':
        case L'%':
        case L'`':
        case L'"':
            return true;
        default:
            return false;
    }
}

// Cleans text and logs its codes before cleaning.
void Clean(std::wstring& text) {
    std::wstring codes = L"\r\n\r\n";
    wchar_t code[16];
    for (wchar_t c : text) {
        std::swprintf(code, sizeof code / sizeof code[0], L" %02X", static_cast<unsigned>(c));
        codes += code;
    }
    AppendLog(L"%ls", codes.c_str());
    std::wstring kept;
    kept.reserve(text.size());
    for (wchar_t c : text)
        if (!IsRemoved(c)) kept += c;
    text.swap(kept);
}

// Windows opens a device for these names, with or without an extension.
bool IsDeviceWord(std::wstring_view word) {
    const std::wstring w = Folded(word);
    if (w == L"con" || w == L"prn" || w == L"aux" || w == L"nul") return true;
    return w.size() == 4 && (w.compare(0, 3, L"com") == 0 || w.compare(0, 3, L"lpt") == 0) && w[3] >= L'1' &&
           w[3] <= L'9';
}

// A name whose part before its first "." (trailing blanks aside) is a
// device gets "_" behind that part: "con" -> "con_".
void AvoidDeviceName(std::wstring& name) {
    std::size_t end = name.find(L'.');
    if (end == std::wstring::npos) end = name.size();
    while (end > 0 && name[end - 1] == L' ') --end;
    if (IsDeviceWord(std::wstring_view(name).substr(0, end))) name.insert(end, 1, L'_');
}

std::wstring WithCounter(const std::wstring& name, long long counter, const std::wstring& extension) {
    if (counter == 0) return name + extension;
    return name + L"[" + std::to_wstring(counter) + L"]" + extension;
}

// UniqueName's work; false where UniqueName gives the failure marker.
// The name is taken whole: the extension at its end must survive, and the
// length is bounded below, once the folder's share of the path is known.
bool MakeUniqueName(std::wstring_view input, std::wstring& result) {
    std::wstring name(input);
    Clean(name);

    std::wstring extension;
    std::size_t extensionStart = name.find(L".dvd.mpg");
    if (extensionStart != std::wstring::npos) {
        extension = L".dvd.mpg";
    } else {
        for (std::size_t i = name.size(); i-- > 1;) {
            if (name[i] == L'.') {
                extensionStart = i;
                break;
            }
        }
        if (extensionStart != std::wstring::npos) extension = Head(std::wstring_view(name).substr(extensionStart), 4);
    }
    if (extensionStart != std::wstring::npos) name.erase(extensionStart);

    // An earlier counter: the last "[" before a "]", looked for in the part
    // that the lower-case copy holds.
    bool closed = false;
    for (std::size_t i = std::min(name.size(), kMatchLimit); i-- > 0;) {
        if (name[i] == L']') {
            closed = true;
        } else if (name[i] == L'[' && closed) {
            name.erase(i);
            break;
        }
    }

    // The whole path must fit its 999 characters with any counter, or the
    // extension would be cut off it. The "_" of a device name needs one more.
    const std::size_t folderLength = TextOf(Settings.RecordingFolder).size();
    const std::size_t fixed = folderLength + 1 + extension.size() + kCounterRoom + 1;
    if (fixed < kTextLimit && name.size() > kTextLimit - fixed) name = Head(name, kTextLimit - fixed);
    AvoidDeviceName(name);

    const std::wstring match = Head(Folded(name), kMatchLimit);
    const std::wstring folder(TextOf(Settings.RecordingFolder));
    NamingSystem& system = CurrentNamingSystem();
    std::vector<FolderEntry> entries;
    if (!system.ListFolder(folder, entries)) {
        wchar_t text[kOutputTextCapacity + 64];
        std::swprintf(text, sizeof text / sizeof text[0], L"Cannot find recording folder %ls", folder.c_str());
        system.ShowMessage(text);
        return false;
    }

    bool matched = false;
    long long largest = 0;
    std::unordered_set<std::wstring> taken;
    for (const FolderEntry& entry : entries) {
        if (entry.name == L"." || entry.name == L"..") continue;
        const std::wstring lower = Folded(entry.name);
        taken.insert(lower);
        if (entry.attributes == kDirectoryAttribute) continue;
        if (!Contains(lower, match)) continue;
        matched = true;
        const std::size_t bracket = lower.find(L'[');
        if (bracket != std::wstring::npos) {
            const long long number = LeadingInt(std::wstring_view(lower).substr(bracket + 1));
            if (number > largest) largest = number;
        }
    }
    long long counter = 0;
    if (matched) counter = largest > 0 ? largest + 1 : 2;
    result = WithCounter(name, counter, extension);
    // A "[" inside the title itself can hide the counters of earlier files;
    // never hand out a name that is already there.
    while (taken.count(Folded(result)) != 0) {
        counter = counter == 0 ? 2 : counter + 1;
        result = WithCounter(name, counter, extension);
    }
    if (folderLength + 1 + result.size() > kTextLimit) {
        AppendLog(L"\r\nNo file name fits in the recording folder %ls", folder.c_str());
        return false;
    }
    return true;
}

// A title that ends in a browser's name: the page title before it, cleaned
// and cut to 25 characters, or "Telvane" when nothing is before it.
void CutBrowserEnding(std::wstring& base) {
    static const wchar_t* const kEndings[] = {L" - microsoft internet explorer",
                                              L" - windows internet explorer",
                                              L" internet explorer",
                                              L" - mozilla",
                                              L" - google chrome",
                                              L" - opera"};
    static const wchar_t* const kCuts[] = {L" - microsoft internet explorer",
                                           L" - windows internet explorer",
                                           L" internet explorer",
                                           L" mozilla",
                                           L" - google chrome",
                                           L" - opera"};
    const std::wstring lower = Folded(base);
    bool browser = false;
    for (const wchar_t* ending : kEndings) browser = browser || Contains(lower, ending);
    if (!browser) return;
    std::size_t position = std::wstring::npos;
    for (const wchar_t* cut : kCuts) {
        position = lower.find(cut);
        if (position != std::wstring::npos) break;
    }
    if (position != std::wstring::npos && position > 0)
        base.erase(position);
    else
        base = L"Telvane";
    Clean(base);
    base = Head(base, kTitleBaseLimit);
}

std::wstring AfterLastBackslash(const std::wstring& text) {
    const std::size_t slash = text.rfind(L'\\');
    return slash == std::wstring::npos ? text : text.substr(slash + 1);
}

}  // namespace

void SanitizeName(std::wstring& text) {
    text = Head(text, kTextLimit);
    Clean(text);
}

void SanitizeName(wchar_t* text, std::size_t capacity) {
    if (text == nullptr || capacity == 0) return;
    std::size_t length = 0;
    while (length < capacity && text[length] != L'\0') ++length;
    if (length == capacity) length = capacity - 1;
    std::wstring cleaned(text, length);
    Clean(cleaned);
    CopyText(text, capacity, cleaned);
}

std::wstring UniqueName(std::wstring_view name) {
    std::wstring result;
    if (!MakeUniqueName(name, result)) return kNameFailMarker;
    return result;
}

bool SetupOutputFile(std::wstring_view trackedTitle, std::wstring_view conversationTitle) {
    OutputPath[0] = L'\0';

    std::wstring base;
    if (trackedTitle.empty()) {
        base = L"Telvane";
    } else {
        base = Head(trackedTitle, kTextLimit);
        const std::size_t scheme = base.find(L"://");
        if (scheme != std::wstring::npos) base.erase(0, scheme + 3);
        if (Contains(base, L"LiveConversationWindow")) base = Head(conversationTitle, kTextLimit);
        CutBrowserEnding(base);
    }
    if (Contains(base, L"#in-playlist")) base = L"Hulu";

    const wchar_t* extension = Settings.Protocol == 1 ? L".wmv" : L".avi";
    std::wstring text = base + extension;
    const std::wstring folder(TextOf(Settings.RecordingFolder));
    if (!Contains(text, L"://")) text = folder + L"\\" + text;

    std::wstring name = AfterLastBackslash(text);
    // A title that leaves nothing (or only "_") in front of the extension
    // gets a name from the tick count instead, without extension.
    const std::wstring_view stem = std::wstring_view(name).substr(0, name.size() >= 4 ? name.size() - 4 : 0);
    if (stem.find_first_not_of(L'_') == std::wstring_view::npos) {
        wchar_t hex[16];
        std::swprintf(hex, sizeof hex / sizeof hex[0], L"%08x",
                      static_cast<unsigned>(CurrentNamingSystem().TickCount()));
        name = hex;
    }
    CopyText(OutputName, name);

    std::wstring unique;
    if (!MakeUniqueName(name, unique)) return false;
    const std::wstring path = folder + L"\\" + unique;
    if (!CopyText(OutputPath, path)) {
        OutputPath[0] = L'\0';
        return false;
    }
    CopyText(OutputName, AfterLastBackslash(path));
    CopyText(LastRecording, path);
    return true;
}
