// The helpers' answers to a buffer that is missing, empty or too short, to a count or record they
// have no place for, and to a handle that is none: what the plug-in and the checker rely on, the
// same in both builds.
#include "base/text16.h"
#include "platform/files.h"
#include "tests/livehelp/test_windows.h"
#include "tests/textinput/source_fixture.h"

#include <cstdlib>
#include <functional>

namespace {

struct Answer {
    long result;
    std::u16string text; // what the buffer holds afterwards
    bool operator==(const Answer&) const = default;
};
void PrintTo(const Answer& a, std::ostream* out) {
    *out << a.result << " \"" << U8(a.text) << "\"";
}

class HelperEdges : public SourceTest {};

TEST_F(HelperEdges, MissingShortAndWrongArguments) {
    void* main = CreateTestWindow(nullptr, u"HintbarEdgesMain", u"Host");
    void* bar = CreateTestWindow(main, u"XTPStatusBar", u"Ready");
    PlatformSetEnvironmentVariable(u"HB_EDGES", u"value");
    void* file = PlatformCreateFile(MakeFile("f.txt", "abc").c_str(), kGenericRead | kGenericWrite,
                                    kFileShareRead, kOpenExisting, 0);
    ASSERT_NE(file, nullptr);
    char16_t full[32768];
    long tempNeeded = PlatformGetTempPath(full) + 1;
    // The program's own name on Windows; on Linux no module is named by null.
    std::u16string program(full, PlatformGetModuleFileName(nullptr, full));
    char16_t unit[4]; // a buffer that shows whether it was written, "xxx" before each row
    auto call = [&](long result) { return Answer{result, unit}; };
    const struct {
        const char* what;
        std::function<Answer()> run;
        Answer expected;
    } rows[] = {
        {"variable, no buffer: the size it needs",
         [&] { return call(PlatformGetEnvironmentVariable(u"HB_EDGES", {})); },
         {6, u"xxx"}},
        {"variable, no room at all",
         [&] {
             return call(PlatformGetEnvironmentVariable(u"HB_EDGES", {unit, 0}));
         },
         {6, u"xxx"}},
        {"a variable's name with \"=\" is refused",
         [&] { return call(PlatformSetEnvironmentVariable(u"HB=EDGES", u"value")); },
         {0, u"xxx"}},
        {"variable, too short: the size, the buffer emptied",
         [&] {
             return call(PlatformGetEnvironmentVariable(u"HB_EDGES", {unit, 3}));
         },
         {6, u""}},
        {"temporary directory, too short",
         [&] {
             return call(PlatformGetTempPath({unit, 2}));
         },
         {tempNeeded, u""}},
        {"window class, cut", [&] { return call(PlatformGetWindowClass(bar, unit)); }, {3, u"XTP"}},
        {"window class, no buffer",
         [&] {
             return call(PlatformGetWindowClass(bar, {}) + PlatformGetWindowClass(bar, {unit, 0}));
         },
         {0, u"xxx"}},
        {"window text, cut", [&] { return call(PlatformGetWindowText(bar, unit)); }, {3, u"Rea"}},
        {"window text, no buffer",
         [&] {
             return call(PlatformGetWindowText(bar, {}) + PlatformGetWindowText(bar, {unit, 0}));
         },
         {0, u"xxx"}},
        {"no console title to set",
         [&] { return call(PlatformSetConsoleTitle(nullptr)); },
         {0, u"xxx"}},
        {"console title, no buffer",
         [&] {
             return call(PlatformGetConsoleTitle({}) + PlatformGetConsoleTitle({unit, 0}));
         },
         {0, u"xxx"}},
        {"error text, no buffer",
         [&] {
             return call(PlatformFormatMessage(2, {}) + PlatformFormatMessage(2, {unit, 0}));
         },
         {0, u"xxx"}},
        {"module's name, cut",
         [&] { return call(PlatformGetModuleFileName(nullptr, unit)); },
         {static_cast<long>(program.substr(0, 3).size()), program.substr(0, 3)}},
        {"module's name, no buffer",
         [&] {
             return call(PlatformGetModuleFileName(nullptr, {}) +
                         PlatformGetModuleFileName(nullptr, {unit, 0}));
         },
         {0, u"xxx"}},
        {"a file is no console, and the mode has no place",
         [&] { return call(PlatformGetConsoleMode(file, nullptr)); },
         {0, u"xxx"}},
        {"file information without a record",
         [&] {
             return call(PlatformGetFileInformation(file, nullptr) * 1000 +
                         static_cast<long>(PlatformGetLastError()));
         },
         {kErrorInvalidParameter, u"xxx"}},
        {"read and write without counts",
         [&] {
             return call(PlatformReadFile(file, ByteBuffer(unit, 1), nullptr) * 10 +
                         PlatformWriteFile(file, Bytes("d"), nullptr));
         },
         {11, u"axx"}},
        {"no view to unmap, no handle to close",
         [&] { return call(PlatformUnmapViewOfFile(nullptr) + PlatformCloseHandle(nullptr)); },
         {0, u"xxx"}},
        {"arguments without a count",
         [&] { return call(PlatformGetArguments(0, nullptr, nullptr) != nullptr); },
         {0, u"xxx"}},
        {"no text to write, and an empty one",
         [&] {
             return call(PlatformWriteStandard(kStdOutput, nullptr) * 10 +
                         PlatformWriteStandard(kStdOutput, u""));
         },
         {1, u"xxx"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Str16Copy(unit, u"xxx");
        EXPECT_EQ(row.run(), row.expected);
    }
    PlatformCloseHandle(file);
    PlatformSetEnvironmentVariable(u"HB_EDGES", nullptr);
    DestroyTestWindow(main);
}

} // namespace
