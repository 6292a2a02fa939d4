#include "tests/native/winetest/asfwriter/AsfReadBack.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

StdioOutput::StdioOutput(const std::string& path) : m_file(std::fopen(path.c_str(), "w+b")) {}

StdioOutput::~StdioOutput() { Close(); }

void StdioOutput::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

bool StdioOutput::Append(const uint8_t* data, size_t size) {
    return m_file && std::fseek(m_file, 0, SEEK_END) == 0 && std::fwrite(data, 1, size, m_file) == size;
}

bool StdioOutput::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    return m_file && std::fseek(m_file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fwrite(data, 1, size, m_file) == size;
}

namespace {

// This run's folder of files, removed with them when the test program ends.
struct RunFolder {
    std::string path;
    ~RunFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};
RunFolder g_runFolder;

}  // namespace

std::string TempAsfPath(const std::string& name) {
    if (g_runFolder.path.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        g_runFolder.path = std::string(tmp && *tmp ? tmp : "/tmp") + "/asfwriter_test_" + std::to_string(::getpid());
        std::error_code ignored;
        std::filesystem::create_directories(g_runFolder.path, ignored);
    }
    return g_runFolder.path + "/" + name + ".asf";
}

std::string RunCommand(const std::string& command, int* exitCode) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (exitCode) *exitCode = -1;
        return out;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = ::pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::vector<std::string> Probe(const std::string& path, const std::string& entries, const std::string& select) {
    std::string cmd = "ffprobe -v error " + select + " -show_entries " + entries +
                      " -of default=noprint_wrappers=1:nokey=1 '" + path + "'";
    std::istringstream text(RunCommand(cmd));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

std::vector<uint8_t> Decode(const std::string& path, const std::string& args) {
    std::string out = RunCommand("ffmpeg -v error -i '" + path + "' " + args + " -");
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
