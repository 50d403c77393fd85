#include "tests/differential/corpus.h"

#include "bench/help_files.h"
#include "platform/utf8.h"
#include "tests/support/random_help_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Writer {
    fs::path directory;
    int written;
    bool failed;

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream out(directory / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            fprintf(stderr, "cannot write %s\n", (directory / name).string().c_str());
            failed = true;
        }
        ++written;
    }
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 to UTF-16LE with its mark, NULs kept: the conversion stops at one, so each piece
// between them goes on its own.
std::string Utf16LE(const std::string& utf8, const std::u16string& insert = u"") {
    std::u16string wide;
    size_t start = 0;
    for (;;) {
        size_t nul = utf8.find('\0', start);
        std::string piece = utf8.substr(start, nul == std::string::npos ? nul : nul - start);
        std::vector<char16_t> units(piece.size() + 1);
        wide.append(units.data(), Utf8ToUtf16(piece.c_str(), units));
        if (nul == std::string::npos) {
            break;
        }
        wide += u'\0';
        start = nul + 1;
    }
    wide.insert(wide.size() / 2, insert);
    std::string out = "\xFF\xFE";
    for (char16_t c : wide) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// The files of a directory in name order.
std::vector<fs::path> FilesOf(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Lines one unit (or byte) each side of the 8,192 units of a line, and a syntax line at its
// 1,024: where the loader hands a line from its fast path to the general reader and parser.
void WriteLimits(Writer* out) {
    for (size_t units : {size_t{8191}, size_t{8192}}) {
        const std::string lines[] = {
            "@f[x] - " + std::string(units - 8, 'd'),
            "@g[x] - " + std::string(units - 9, 'd') + "\xC3\xA9",
            "@h[x] - " + std::string(units - 9, 'd') + "\xE9",
            "@s[" + std::string(units - 8191 + 1019, 'a') + "] - d",
        };
        int k = 0;
        for (const std::string& line : lines) {
            std::string stem = "limit-" + std::to_string(units) + "-" + std::to_string(k++);
            out->Write(stem + "-plain.txt", line + "\n@z[]\n");
            out->Write(stem + "-utf8.txt", "\xEF\xBB\xBF" + line + "\n@z[]\n");
            out->Write(stem + "-utf16.txt", Utf16LE(line + "\n@z[]\n"));
        }
    }
}

} // namespace

int MakeCorpus(const std::string& directory, const std::string& sourceRoot, int randomFiles,
               unsigned seed) {
    Writer out{directory, 0, false};
    std::error_code ec;
    fs::create_directories(out.directory, ec);
    fs::path root(sourceRoot);
    out.Write("sample.txt", Read(root / "data" / "Hintbar.txt"));
    // A help-file seed begins with the byte that picks the fuzzer's code page.
    for (const fs::path& seedFile : FilesOf(root / "fuzz" / "corpus" / "help_file")) {
        std::string bytes = Read(seedFile);
        out.Write("file-" + seedFile.filename().string() + ".txt",
                  bytes.empty() ? "" : bytes.substr(1));
    }
    // A help-line seed is the UTF-16 units of one line: with and without their mark.
    for (const fs::path& seedFile : FilesOf(root / "fuzz" / "corpus" / "help_line")) {
        std::string bytes = Read(seedFile);
        out.Write("line-" + seedFile.filename().string() + ".txt", bytes);
        out.Write("line-" + seedFile.filename().string() + "-marked.txt", "\xFF\xFE" + bytes);
    }
    for (BenchEncoding encoding :
         {BenchEncoding::Utf8, BenchEncoding::Utf16LE, BenchEncoding::Ansi}) {
        out.Write(std::string("bench-1000-") + EncodingName(encoding) + ".txt",
                  MakeHelpFile(1000, encoding));
    }
    WriteLimits(&out);
    std::mt19937 random(seed);
    for (int i = 0; i < randomFiles; ++i) {
        char name[32];
        snprintf(name, sizeof name, "random-%05d", i);
        std::string text = RandomHelpFile(&random);
        out.Write(std::string(name) + ".txt", text);
        if (i % 4 == 0) {
            // A lone surrogate in the middle: a low one, or a high one before a unit above the
            // surrogates.
            out.Write(std::string(name) + "-utf16.txt",
                      Utf16LE(text, i % 8 ? std::u16string{0xDBFF, 0xFF0D} : u"\xDC00"));
        }
    }
    return out.failed ? -1 : out.written;
}
