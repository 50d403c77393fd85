// Helpers every test uses: readable UTF-8 views of UTF-16 text, captured host output, and a
// fixture that puts the host and the plug-in's globals back to their start.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// UTF-16 to UTF-8, for assertions whose failures a person can read.
std::string U8(const char16_t* text);
std::string U8(const std::u16string& text);
std::u16string U16(const std::string& utf8);

// What the host services wrote since the last clear.
std::string CapturedOut();
std::string CapturedErr();

// Captures host output and restores the host's settings, the plug-in's help table and saved
// status text, and the allocation fault injection around each test.
class HostTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    long liveAtStart_ = 0;
};

// A scratch directory of the test's own, removed afterwards.
std::string MakeScratchDir();
void RemoveTree(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// A text's bytes, and a character buffer as bytes, for the platform's byte reads and writes.
inline std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}
inline std::span<uint8_t> ByteBuffer(void* buffer, size_t bytes) {
    return {static_cast<uint8_t*>(buffer), bytes};
}
