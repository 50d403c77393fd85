#include "bench/help_files.h"

#include "base/text16.h"
#include "platform/utf8.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>

namespace {

const char* const kWords[] = {
    "returns", "the",    "string", "number", "of",        "characters",  "from",         "left",
    "right",   "first",  "value",  "file",   "name",      "path",        "date",         "time",
    "if",      "empty",  "when",   "given",  "count",     "position",    "length",       "digits",
    "format",  "result", "with",   "each",   "line",      "a",           "an",           "or",
    "zero",    "error",  "option", "list",   "delimiter", "caf\xc3\xa9", "na\xc3\xafve",
};
const char* const kArgs[] = {"n", "string", "x", "y", "path", "date", "format", "pos", "len"};

// The UTF-8 text of the file, then converted to the wanted encoding.
std::string MakeUtf8(int functions) {
    std::mt19937 random(12345u + static_cast<unsigned>(functions));
    std::string text = "; Help file made for benchmarks\n";
    std::vector<std::string> names;
    for (int i = 0; i < functions; ++i) {
        std::string name;
        bool repeat = !names.empty() && random() % 100 < 5;
        if (repeat) {
            name = names[random() % names.size()];
        } else {
            int letters = 3 + static_cast<int>(random() % 8);
            for (int k = 0; k < letters; ++k) {
                name += static_cast<char>('a' + random() % 26);
            }
            name += std::to_string(i);
            names.push_back(name);
        }
        std::string line = "@" + name + "[";
        int args = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < args; ++k) {
            line += k ? "," : "";
            line += kArgs[random() % 9];
        }
        line += "] - ";
        int words = 8 + static_cast<int>(random() % 14);
        for (int k = 0; k < words; ++k) {
            line += k ? " " : "";
            line += kWords[random() % (sizeof kWords / sizeof *kWords)];
            if (random() % 40 == 0) {
                line += "\xc2\xb6\xc2\xac"; // a break and a tab in the shown text
            }
        }
        text += line + ".\n";
        if (random() % 50 == 0) {
            text += "  continuation or comment text\n";
        }
    }
    return text;
}

// One directory per run, named at random so that runs side by side keep apart.
const std::filesystem::path& FilesDirectory() {
    static const std::filesystem::path dir = [] {
        std::random_device seed;
        return std::filesystem::temp_directory_path() / ("hbbench-" + std::to_string(seed()));
    }();
    return dir;
}

} // namespace

std::u16string Wide(const std::string& utf8) {
    std::vector<char16_t> out(utf8.size() + 1);
    size_t n = Utf8ToUtf16(utf8.c_str(), out);
    return std::u16string(out.data(), n);
}

std::string MakeHelpFile(int functions, BenchEncoding encoding) {
    std::string utf8 = MakeUtf8(functions);
    if (encoding == BenchEncoding::Utf8) {
        return "\xef\xbb\xbf" + utf8;
    }
    std::u16string wide = Wide(utf8);
    std::string out;
    if (encoding == BenchEncoding::Utf16LE) {
        out = "\xff\xfe";
        for (char16_t c : wide) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>(c >> 8);
        }
        return out;
    }
    // ANSI (1252): every character of the text is in Latin-1 but the two marks, which are too.
    for (char16_t c : wide) {
        out += static_cast<char>(c < 0x100 ? c : '?');
    }
    return out;
}

const char* EncodingName(BenchEncoding encoding) {
    switch (encoding) {
    case BenchEncoding::Utf8:
        return "utf8";
    case BenchEncoding::Utf16LE:
        return "utf16le";
    default:
        return "ansi";
    }
}

std::string HelpFilePath(int functions, BenchEncoding encoding) {
    static std::map<std::pair<int, int>, std::string> made;
    auto key = std::make_pair(functions, static_cast<int>(encoding));
    auto found = made.find(key);
    if (found != made.end()) {
        return found->second;
    }
    namespace fs = std::filesystem;
    const fs::path& dir = FilesDirectory();
    fs::create_directories(dir);
    std::string path =
        (dir / ("help-" + std::to_string(functions) + "-" + EncodingName(encoding) + ".txt"))
            .string();
    std::string bytes = MakeHelpFile(functions, encoding);
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    made[key] = path;
    return path;
}

void RemoveHelpFiles() {
    std::error_code ec;
    std::filesystem::remove_all(FilesDirectory(), ec);
}
