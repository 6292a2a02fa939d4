#pragma once
// Common ground of the settings tests: a fresh record and paths, the fake
// system installed, and helpers to lay out settings files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/native/settings/FakeSettingsSystem.h"

class SettingsTest : public ::testing::Test {
public:
    // A file of the given lines (each ended by CR LF) and an unterminated
    // closing line.
    static std::string FileOf(const std::vector<std::string>& lines, const std::string& closing = "Made by Telvane") {
        std::string out;
        for (const std::string& line : lines) out += line + "\r\n";
        return out + closing;
    }

protected:
    void SetUp() override {
        Settings = SettingsRecord{};
        DurationText[0] = L'\0';
        AppDataFolder[0] = L'\0';
        SettingsFolder[0] = L'\0';
        SettingsPath[0] = L'\0';
        ClearRecordingGraphFlags = nullptr;
        SetSettingsSystem(&fake);
    }
    void TearDown() override {
        SetSettingsSystem(nullptr);
        ClearRecordingGraphFlags = nullptr;
    }

    // The settings folder made, without an init file beside the program.
    std::wstring PreparedPath() {
        EXPECT_TRUE(PrepareSettingsFolder());
        fake.messages.clear();
        return std::wstring(TextOf(SettingsPath));
    }

    // Writes the lines as the settings file and loads it.
    int Load(const std::vector<std::string>& lines) {
        const std::wstring path = PreparedPath();
        fake.WriteBytes(path, FileOf(lines));
        return ReadSettings();
    }

    FakeSettingsSystem fake;
};
