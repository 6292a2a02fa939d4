#pragma once
// A profile system that keeps what the writers hand it: the messages shown
// and the files written, with a scripted result.

#include <cstdint>
#include <string>
#include <vector>

#include "graph/ProfileSystem.h"

class FakeProfileSystem : public ProfileSystem {
public:
    FakeProfileSystem() { SetProfileSystem(this); }
    ~FakeProfileSystem() override { SetProfileSystem(nullptr); }

    ProfileFileResult WriteProfileFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) override {
        if (result == ProfileFileResult::Written) {
            writtenPath = path;
            written = bytes;
            ++files;
        }
        return result;
    }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }

    ProfileFileResult result = ProfileFileResult::Written;
    std::vector<std::wstring> messages;
    std::wstring writtenPath;
    std::vector<std::uint8_t> written;
    int files = 0;
};
