// Offsets past 2 GB in a 32-bit build too.
#define _FILE_OFFSET_BITS 64

#include "recovery/PosixRepairFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace recovery {
namespace {

std::string NativePath(const std::wstring& path) { return std::filesystem::path(path).u8string(); }

class PosixRepairFile final : public RepairFile {
public:
    explicit PosixRepairFile(int fd) : m_fd(fd) {}
    ~PosixRepairFile() override { ::close(m_fd); }
    PosixRepairFile(const PosixRepairFile&) = delete;
    PosixRepairFile& operator=(const PosixRepairFile&) = delete;

    bool Size(uint64_t& size) override {
        struct stat st;
        if (::fstat(m_fd, &st) != 0) return false;
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }

    bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
        while (size > 0) {
            const ssize_t n = ::pread(m_fd, data, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
            offset += static_cast<uint64_t>(n);
        }
        return true;
    }

    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        while (size > 0) {
            const ssize_t n = ::pwrite(m_fd, data, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
            offset += static_cast<uint64_t>(n);
        }
        return true;
    }

    bool Truncate(uint64_t size) override { return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0; }
    bool Flush() override { return ::fsync(m_fd) == 0; }

private:
    int m_fd;
};

std::unique_ptr<RepairFile> OpenWith(const std::wstring& path, int flags) {
    const int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixRepairFile>(fd);
}

}  // namespace

std::unique_ptr<RepairFile> PosixRepairFiles::Open(const std::wstring& path) { return OpenWith(path, O_RDWR); }

std::unique_ptr<RepairFile> PosixRepairFiles::Create(const std::wstring& path) {
    return OpenWith(path, O_RDWR | O_CREAT | O_TRUNC);
}

bool PosixRepairFiles::Exists(const std::wstring& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool PosixRepairFiles::Remove(const std::wstring& path) { return ::unlink(NativePath(path).c_str()) == 0; }

}  // namespace recovery
