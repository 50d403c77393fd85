// A host window with a status bar showing "Ready", a small help table of the test's own, and
// the live-help state put back to its start around each test.
#pragma once

#include "base/limits.h"
#include "base/product.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"

#include <string>
#include <vector>

struct HelpSpec {
    const char* name;   // upper case, as the table stores it
    const char* syntax; // UTF-8
    const char* info;   // UTF-8, or null
};

class LiveHelpTest : public HostTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the help table by one holding these entries (any order).
    void LoadHelp(const std::vector<HelpSpec>& specs);
    void UnloadHelp();
    // A, B, LE, LEN, MY_FN$, EMPTY (a description without syntax) and kName47.
    void LoadSampleHelp();
    static constexpr const char* kName47 = "NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN";

    // Calls key with the key code, the line and a cursor (the line's end by default).
    void Press(char16_t code, const std::u16string& line, size_t cursor = std::u16string::npos);
    void Boundary(); // key code 0, no line
    // Makes the saved status text a copy of text, as an earlier capture would have.
    void SetSaved(const char16_t* text);
    // Marks the line as one on which help was shown, the saved text kept.
    void MarkHelpShown();

    std::u16string Bar() const;
    static std::u16string Saved(); // "(none)" when nothing is saved
    // The texts of the "USAGE" requests since the test began or the last ClearSent.
    const std::vector<std::u16string>& Sent() const;
    void ClearSent();

    // The text composed for a syntax line and an info, for comparing with what was sent.
    static std::u16string Composed(const char* syntax, const char* info = nullptr);

    void* main_ = nullptr;
    void* bar_ = nullptr;
};
