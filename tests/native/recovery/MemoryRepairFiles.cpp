#include "tests/native/recovery/MemoryRepairFiles.h"

#include <algorithm>
#include <cstring>

namespace {

class MemoryFile final : public recovery::RepairFile {
public:
    MemoryFile(MemoryRepairFiles& owner, std::vector<uint8_t>& bytes) : m_owner(owner), m_bytes(bytes) {}

    bool Size(uint64_t& size) override {
        size = m_bytes.size();
        return true;
    }
    bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) {
            ++m_owner.outsideReads;
            return false;
        }
        if (size > 0) std::memcpy(data, m_bytes.data() + offset, size);
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        const bool ok = m_owner.TakeWrite();
        const size_t n = ok ? size : size / 2;
        if (m_bytes.size() < offset + n) m_bytes.resize(static_cast<size_t>(offset + n));
        std::copy(data, data + n, m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return ok;
    }
    bool Truncate(uint64_t size) override {
        if (!m_owner.TakeWrite()) return false;
        m_bytes.resize(static_cast<size_t>(size));
        return true;
    }
    bool Flush() override { return m_owner.TakeWrite(); }

private:
    MemoryRepairFiles& m_owner;
    std::vector<uint8_t>& m_bytes;
};

}  // namespace

bool MemoryRepairFiles::TakeWrite() {
    if (writesLeft == 0) return false;
    if (writesLeft > 0) --writesLeft;
    return true;
}

std::unique_ptr<recovery::RepairFile> MemoryRepairFiles::Open(const std::wstring& path) {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<MemoryFile>(*this, it->second);
}

std::unique_ptr<recovery::RepairFile> MemoryRepairFiles::Create(const std::wstring& path) {
    std::vector<uint8_t>& bytes = files[path];
    bytes.clear();
    return std::make_unique<MemoryFile>(*this, bytes);
}
