#pragma once
// The apartment every test of this program runs in, and the fixture of the
// tests that register capture devices: it removes every test device before
// and after each test, so that a failing test leaves none behind.

#include <gtest/gtest.h>

#include "framework/win/Handles.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_com.Succeeded()); }
    win::ScopedComApartment m_com;
};

class TestDevicesTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, winetest::RemoveTestAudioDevices());
    }
    void TearDown() override { EXPECT_EQ(S_OK, winetest::RemoveTestAudioDevices()); }
};
