// On Linux the message box is the window model's stand-in; its hook shows what Help put up.
#include "base/limits.h"
#include "base/product.h"
#include "platform/window_model.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"

namespace {
std::string g_text;
std::string g_caption;

void RecordBox(const char16_t* text, const char16_t* caption) {
    g_text = U8(text);
    g_caption = U8(caption);
}

TEST(Identity, HelpShowsTheWholeTextUnderItsCaption) {
    WindowModelSetMessageBoxHook(RecordBox);
    EXPECT_EQ(Help(u"HBAR"), 1);
    WindowModelSetMessageBoxHook(nullptr);
    EXPECT_EQ(g_caption, "Hintbar Plugin Help");
    EXPECT_EQ(g_text.rfind("Reload the Hintbar data file, or display info.\n\nHBAR /I", 0), 0u);
    // Unlike Usage, Help makes no test of a leading "@" or "_".
    g_caption.clear();
    WindowModelSetMessageBoxHook(RecordBox);
    EXPECT_EQ(Help(u"@hbar"), 0);
    WindowModelSetMessageBoxHook(nullptr);
    EXPECT_EQ(g_caption, "");
}
} // namespace
