#include "tests/native/settings/FakeSettingsSystem.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#else
#include <process.h>
#endif

#include "settings/SettingsText.h"

namespace fs = std::filesystem;

namespace {

std::atomic<int> g_counter{0};

#ifdef _WIN32
int ProcessId() { return _getpid(); }
#else
int ProcessId() { return static_cast<int>(getpid()); }
#endif

}  // namespace

std::wstring FakeSettingsSystem::Sep() {
#ifdef _WIN32
    return L"\\";
#else
    return L"/";
#endif
}

FakeSettingsSystem::FakeSettingsSystem() {
    m_root = fs::temp_directory_path() /
             ("telvane-settings-" + std::to_string(ProcessId()) + "-" + std::to_string(g_counter++));
    fs::remove_all(m_root);
    fs::create_directories(m_root / "program");
    // The temporary folder's own name is ASCII on the machines that run us.
    const std::string narrow = m_root.string();
    m_rootWide.assign(narrow.begin(), narrow.end());
    appData = m_rootWide + Sep() + L"AppData";
    videos = m_rootWide + Sep() + L"Videos";
}

FakeSettingsSystem::~FakeSettingsSystem() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

fs::path FakeSettingsSystem::OnDisk(const std::wstring& path) const {
    std::wstring full = path;
    if (full.rfind(L".\\", 0) == 0) full = ProgramFolder() + Sep() + full.substr(2);
#ifdef _WIN32
    return fs::path(full);
#else
    // On Linux a wide path would be converted by the C locale; go through
    // UTF-8 and the local separator instead.
    for (wchar_t& c : full)
        if (c == L'\\') c = L'/';
    return fs::path(EncodeUtf8(full));
#endif
}

bool FakeSettingsSystem::Exists(const std::wstring& path) const { return fs::exists(OnDisk(path)); }

std::string FakeSettingsSystem::ReadBytes(const std::wstring& path) const {
    std::ifstream in(OnDisk(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void FakeSettingsSystem::WriteBytes(const std::wstring& path, const std::string& bytes) const {
    std::ofstream out(OnDisk(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FakeSettingsSystem::ApplicationDataFolder(std::wstring& folder) {
    if (!appDataAvailable) return false;
    std::error_code error;
    fs::create_directories(OnDisk(appData), error);
    folder = appData;
    return !error;
}

bool FakeSettingsSystem::VideosFolder(std::wstring& folder) {
    if (!videosAvailable) return false;
    std::error_code error;
    fs::create_directories(OnDisk(videos), error);
    folder = videos;
    return !error;
}

FolderResult FakeSettingsSystem::CreateFolder(const std::wstring& path) {
    createdFolders.push_back(path);
    // Folders outside the fake's own tree (the public recordings folder) are
    // only recorded.
    if (createFolderFails || !(path.rfind(L".\\", 0) == 0 || path.rfind(m_rootWide, 0) == 0))
        return FolderResult::Failed;
    std::error_code error;
    if (fs::create_directory(OnDisk(path), error)) return FolderResult::Created;
    return !error && fs::is_directory(OnDisk(path)) ? FolderResult::AlreadyExists : FolderResult::Failed;
}

bool FakeSettingsSystem::CopyOneFile(const std::wstring& from, const std::wstring& to, bool overwrite) {
    std::error_code error;
    if (!fs::is_regular_file(OnDisk(from))) return false;
    if (!overwrite && fs::exists(OnDisk(to))) return false;
    // mingw's copy_file takes any two files for the same one (no inode
    // numbers there), so an overwrite removes the target first.
    fs::remove(OnDisk(to), error);
    fs::copy_file(OnDisk(from), OnDisk(to), error);
    return !error;
}

std::unique_ptr<std::istream> FakeSettingsSystem::OpenForReading(const std::wstring& path) {
    auto in = std::make_unique<std::ifstream>(OnDisk(path), std::ios::in | std::ios::binary);
    if (!in->is_open()) return nullptr;
    return in;
}

bool FakeSettingsSystem::WriteNewFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(OnDisk(path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (writeFails) {
        // A full disk: part of the text arrives.
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

bool FakeSettingsSystem::ReplaceFileAtomically(const std::wstring& source, const std::wstring& target) {
    replaced.push_back(source + L" -> " + target);
    if (replaceInterrupted) throw Interrupted{};
    if (replaceFails) return false;
    std::error_code error;
    fs::rename(OnDisk(source), OnDisk(target), error);
    return !error;
}

void FakeSettingsSystem::RemoveFile(const std::wstring& path) {
    std::error_code ignored;
    fs::remove(OnDisk(path), ignored);
}

int FakeSettingsSystem::ShowMessage(const std::wstring& text, MessageButtons buttons) {
    messages.push_back({text, buttons});
    return messageAnswer;
}

void FakeSettingsSystem::EndProcess(unsigned exitCode) { endedWith.push_back(exitCode); }
