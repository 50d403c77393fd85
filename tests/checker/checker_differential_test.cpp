// The checker against the loader: over the fuzz corpora and random help files, in several
// code pages, the checker must count the functions the loader loads and give each the texts
// of the line the loader keeps; and what --fix makes of each file must load at least as many
// functions, each line it left as it was giving the same one.
#include "checker/file_check.h"
#include "checker/fix_apply.h"
#include "helptable/help_line.h"
#include "helptable/help_loader.h"
#include "platform/platform.h"
#include "tests/support/fix_properties.h"
#include "tests/support/random_help_file.h"
#include "tests/textinput/source_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

class CheckerDifferential : public SourceTest {
  protected:
    void TearDown() override {
        PlatformSetAnsiCodePage(0);
        SourceTest::TearDown();
    }

    void Compare(const std::string& bytes, const std::string& what) {
        SCOPED_TRACE(what);
        std::u16string path = MakeFile("help.txt", bytes);
        HelpTree tree = LoadHelpFile(path.c_str()).tree;
        const HelpNode* root = tree.root;
        uint32_t count = tree.count;
        FindingList findings = {};
        CheckResult result = {};
        ASSERT_EQ(CheckHelpFile(path.c_str(), &findings, &result), 0);
        EXPECT_EQ(result.count, root ? count : 0u);
        EXPECT_EQ(root == nullptr, findings.tally[kSeverityError] > 0 && result.count == 0);
        for (uint32_t i = 0; i < result.count; ++i) {
            const CheckedEntry& f = result.functions[i];
            const HelpNode* node = FindHelpEntry(root, f.name);
            ASSERT_NE(node, nullptr) << U8(f.name);
            EXPECT_STREQ(node->syntax, f.syntax) << "line " << f.line;
            EXPECT_STREQ(node->info, f.info) << "line " << f.line;
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
        CompareMended(bytes, root, count);
        EXPECT_EQ(FixPropertyViolation(bytes, kAllCodes), "");
        FreeHelpTree(tree);
        ++compared_;
    }

    // The lines of a file as the plug-in's reader gives them, by number: a NUL parts a line
    // into pieces of the same number.
    static std::map<uint32_t, std::vector<std::u16string>> LinesOf(const std::string& bytes) {
        std::map<uint32_t, std::vector<std::u16string>> lines;
        TextSource source = {};
        auto data = reinterpret_cast<const uint8_t*>(bytes.data());
        if (OpenTextBytes(&source, data, static_cast<uint32_t>(bytes.size())).outcome ==
            SourceOpen::Opened) {
            std::vector<char16_t> line(kLineUnits);
            TextLineReport report = {};
            while (ReadTextLineReported(&source, line, &report) == LineRead::Line) {
                lines[report.number].push_back(line.data());
            }
        }
        return lines;
    }

    // The file --fix makes, loaded by the loader: no fewer functions, and the function of each
    // name whose last line no fix changed has the same texts.
    void CompareMended(const std::string& bytes, const HelpNode* was, uint32_t count) {
        FixOutcome out = {};
        ASSERT_EQ(FixHelpBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<uint32_t>(bytes.size()), kAllCodes, &out),
                  0);
        if (out.data) {
            ++mended_;
            std::string mended(reinterpret_cast<const char*>(out.data), out.size);
            HelpTree mendedTree = LoadHelpFile(MakeFile("mended.txt", mended).c_str()).tree;
            const HelpNode* now = mendedTree.root;
            uint32_t after = mendedTree.count;
            EXPECT_GE(now ? after : 0u, was ? count : 0u);
            auto before = LinesOf(bytes);
            auto lines = LinesOf(mended);
            std::map<std::u16string, uint32_t> last; // the line that defines each name last
            char16_t name[kNameUnits];
            for (const auto& [number, pieces] : before) {
                for (const std::u16string& piece : pieces) {
                    if (ParseHelpLine(name, piece.c_str(), nullptr, nullptr) > 0) {
                        last[name] = number;
                    }
                }
            }
            for (const auto& [function, number] : last) {
                if (lines[number] != before[number]) {
                    continue; // a line a fix changed
                }
                const HelpNode* a = FindHelpEntry(was, function.c_str());
                const HelpNode* b = FindHelpEntry(now, function.c_str());
                ASSERT_TRUE(a && b) << U8(function) << " of line " << number;
                EXPECT_STREQ(a->syntax, b->syntax) << "line " << number;
                EXPECT_STREQ(a->info, b->info) << "line " << number;
            }
            FreeHelpTree(mendedTree);
        }
        ReleaseFixOutcome(&out);
    }

    int compared_ = 0;
    int mended_ = 0; // files that --fix changed
};

std::vector<std::string> Corpus(const char* name) {
    std::vector<std::string> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(HB_FUZZ_CORPUS) / name)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

const uint32_t kCodePages[] = {1252, 866, 65001};

TEST_F(CheckerDifferential, FuzzCorpora) {
    std::vector<std::string> files = Corpus("help_file");
    for (const std::string& line : Corpus("help_line")) {
        files.push_back(line);
        files.push_back("\xFF\xFE" + line); // the same units with their mark
    }
    ASSERT_GT(files.size(), 20u);
    for (uint32_t codePage : kCodePages) {
        PlatformSetAnsiCodePage(codePage);
        for (size_t i = 0; i < files.size(); ++i) {
            Compare(files[i],
                    "corpus file " + std::to_string(i) + ", code page " + std::to_string(codePage));
        }
    }
}

// The text of a file's lines as the plug-in reads them, a NUL kept where it parts a line.
std::vector<std::u16string> TextLines(const std::string& bytes) {
    std::vector<std::u16string> lines;
    TextSource source = {};
    if (OpenTextBytes(&source, reinterpret_cast<const uint8_t*>(bytes.data()),
                      static_cast<uint32_t>(bytes.size()))
            .outcome == SourceOpen::Opened) {
        std::vector<char16_t> line(kLineUnits);
        TextLineReport report = {};
        uint32_t last = 0;
        while (ReadTextLineReported(&source, line, &report) == LineRead::Line) {
            if (report.number == last && !lines.empty()) {
                lines.back() += u'\0';
                lines.back() += line.data();
            } else {
                lines.emplace_back(line.data());
            }
            last = report.number;
        }
    }
    CloseTextSource(&source);
    return lines;
}

// Text in an encoding: 0 ANSI (1252's Latin-1 part; "?" for the rest), 1 UTF-8, 2 UTF-8 with
// its mark, then UTF-16LE, UTF-16BE, UTF-32LE and UTF-32BE with theirs. A lone surrogate is
// U+FFFD where the form cannot hold it.
std::string Encode(const std::u16string& text, int form) {
    std::u32string points;
    std::u16string text16; // for UTF-8: the text with no lone surrogate
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF && form < 3) {
            c = 0xFFFD;
        }
        points += c;
        if (c > 0xFFFF) {
            text16 += {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                       static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
        } else {
            text16 += static_cast<char16_t>(c);
        }
    }
    std::string out;
    switch (form) {
    case 0:
        for (char32_t c : points) {
            out += c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? static_cast<char>(c) : '?';
        }
        return out;
    case 1:
    case 2:
        out = form == 2 ? "\xEF\xBB\xBF" : "";
        return out + U8(text16);
    case 3:
    case 4:
        return (form == 3 ? "\xFF\xFE" : "\xFE\xFF") + EncodeUtf16(text, form == 4);
    default:
        return std::string(form == 5 ? "\xFF\xFE\0\0" : "\0\0\xFE\xFF", 4) +
               EncodeUtf32(points, form == 6);
    }
}

// --fix keeps its promises over the fuzz corpora in every encoding and with every line end.
TEST_F(CheckerDifferential, FixPromisesInEveryEncodingAndLineEnd) {
    PlatformSetAnsiCodePage(1252);
    std::vector<std::string> files = Corpus("help_file");
    for (const std::string& line : Corpus("help_line")) {
        files.push_back(line);
    }
    for (const std::string& input : Corpus("fix")) {
        files.push_back(input.substr(1)); // after the byte that chooses the code page and codes
    }
    int mended = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        std::vector<std::u16string> lines = TextLines(files[i]);
        for (const char16_t* end : {u"\n", u"\r\n", u"\r"}) {
            std::u16string text;
            for (const std::u16string& line : lines) {
                text += line + end;
            }
            for (int form = 0; form < 7; ++form) {
                SCOPED_TRACE("corpus file " + std::to_string(i) + ", form " + std::to_string(form) +
                             ", end " + U8(end));
                std::string fixed;
                EXPECT_EQ(FixPropertyViolation(Encode(text, form), kAllCodes, &fixed), "");
                mended += !fixed.empty();
            }
        }
    }
    EXPECT_GT(mended, 100);
}

TEST_F(CheckerDifferential, RandomFiles) {
    std::mt19937 random(20261208u);
    for (int round = 0; round < 60; ++round) {
        std::string text = RandomHelpFile(&random);
        PlatformSetAnsiCodePage(kCodePages[round % 3]);
        Compare(text, "round " + std::to_string(round));
        if (round % 4 == 0) {
            // The same text in UTF-16LE, where it decodes.
            std::u16string wide = U16(text);
            // A lone surrogate somewhere in the middle: a low one, or a high one before a unit
            // above the surrogates.
            wide.insert(wide.size() / 2, round % 8 ? std::u16string{0xDBFF, 0xFF0D} : u"\xDC00");
            Compare("\xFF\xFE" + EncodeUtf16(wide, false),
                    "UTF-16, round " + std::to_string(round));
        }
    }
    // Files large enough that the loader transcodes their lines straight into the room left
    // in its staged texts, and at the end of that room goes back to copying them: in UTF-16LE
    // and in the code page, with descriptions that follow the syntax with no gap.
    PlatformSetAnsiCodePage(1252);
    std::string large = "caf\xE9\n@tight[x]description\n";
    while (large.size() < 100000) {
        large += RandomHelpFile(&random) + "\n@tight[y]caf\xE9\n";
    }
    Compare(large, "a large file in the code page");
    Compare("\xFF\xFE" + EncodeUtf16(U16(large), false), "a large file in UTF-16");
    EXPECT_EQ(compared_, 77);
    EXPECT_GT(mended_, 30);
}

// The loader reads most lines without the general reader and parser; at their limits it must
// hand a line over to them and keep what they keep. Each line one unit (or byte) each side of
// a limit, in ANSI, in UTF-8 and in UTF-16LE.
TEST_F(CheckerDifferential, LinesAtTheReadersLimits) {
    PlatformSetAnsiCodePage(1252);
    std::vector<std::string> lines;
    for (size_t units : {size_t{8191}, size_t{8192}}) {
        lines.push_back("@f[x] - " + std::string(units - 8, 'd'));                // ASCII
        lines.push_back("@g[x] - " + std::string(units - 9, 'd') + "\xC3\xA9");   // UTF-8
        lines.push_back("@h[x] - " + std::string(units - 9, 'd') + "\xE9");       // ANSI
        lines.push_back("@s[" + std::string(units - 8191 + 1019, 'a') + "] - d"); // syntax
    }
    for (const std::string& line : lines) {
        Compare(line + "\n@z[]\n", line.substr(0, 12) + " " + std::to_string(line.size()));
        Compare("\xEF\xBB\xBF" + line + "\n@z[]\n", "UTF-8 with its mark");
        Compare("@z[]\n" + line, "the last line");
        Compare("\xFF\xFE" + EncodeUtf16(U16(line + "\n@z[]\n"), false), "UTF-16");
    }
    EXPECT_EQ(compared_, 32);
}

} // namespace
