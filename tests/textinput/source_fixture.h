// A fixture for tests that open text sources: a scratch directory that is also the temporary
// directory, and a check after each test that no handle, view, heap block, temporary copy or
// pending fault is left behind.
#pragma once

#include "tests/support/test_support.h"
#include "textinput/text_source.h"

#include <ostream>
#include <string>
#include <vector>

// What an open answers, compared by outcome and error and printed whole.
constexpr SourceOpenResult kOpened = {SourceOpen::Opened, 0, SourceFault::None, nullptr};
constexpr SourceOpenResult kMissingName = {SourceOpen::MissingName, 0, SourceFault::None, nullptr};
constexpr SourceOpenResult kEmptyFile = {SourceOpen::Empty, 0, SourceFault::None, nullptr};
constexpr SourceOpenResult Failed(int32_t error) {
    return {SourceOpen::Failed, error, SourceFault::None, nullptr};
}
bool operator==(const SourceOpenResult& a, const SourceOpenResult& b);
// Opens the source, and says why it failed in the words of the command that loads it.
SourceOpenResult OpenAndReport(TextSource* source, const char16_t* name);
void PrintTo(const SourceOpenResult& result, std::ostream* out);

// The bytes of a text in UTF-16 or UTF-32, little- or big-endian, without a mark.
std::string EncodeUtf16(const std::u16string& text, bool big);
std::string EncodeUtf32(const std::u32string& text, bool big);

class SourceTest : public HostTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A file of the scratch directory with these bytes; its name as the plug-in takes it.
    std::u16string MakeFile(const std::string& name, const std::string& bytes);
    std::u16string Canonical(const std::u16string& name);
    // Where a pipe's copy goes while a source is open, and whether it is there.
    std::string TempCopyPath();
    bool TempCopyExists();
    // The lines of an open source, in UTF-8.
    std::vector<std::string> Lines(TextSource* source);
    // The system's text for an error number, as the open quotes it.
    std::string Describe(int number);

    std::string dir_;
    long handles_ = 0;
    long processHandles_ = 0;
    long views_ = 0;

  private:
    std::u16string savedTmp_[3];
    bool hadTmp_[3] = {};
};
