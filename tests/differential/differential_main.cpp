// The Linux build and the DLL must read every file alike. This program drives one plug-in
// module as a host does, through its hbar export alone, and writes what the module made of
// each file of the current directory: the load's result and messages, the count of functions,
// the list of their syntax lines, and each function's help as "hbar /F" shows it. Modules
// that agree write the same bytes; the test compares them.
//
//   hintbar_differential make DIRECTORY SOURCE_ROOT RANDOM_FILES SEED
//   hintbar_differential run MODULE CODE_PAGE DUMP      (over the current directory)
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "tests/differential/corpus.h"
#include "tests/differential/plugin_module.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// The text as ASCII: printable characters as they are, every other unit as \uXXXX, so that
// the dump shows each unit exactly (a lone surrogate included) and holds one field a line.
std::string Escaped(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            out += static_cast<char>(c);
        } else {
            char code[8];
            snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

// The file's full name stands in the messages as the host resolves it: "/tmp/..." on Linux,
// "Z:\tmp\..." under Wine. Both write it as <file>.
std::u16string WithoutPath(std::u16string text, const std::u16string& path) {
    size_t at = 0;
    while (!path.empty() && (at = text.find(path, at)) != std::u16string::npos) {
        text.replace(at, path.size(), u"<file>");
        at += 6;
    }
    return text;
}

struct Session {
    CommandProc hbar;
    FILE* dump;
    long functions;

    // Runs one command; returns its result, with what it wrote in out and err.
    int Run(const std::u16string& arguments, std::u16string* out, std::u16string* err) {
        std::vector<char16_t> line(arguments.begin(), arguments.end());
        line.push_back(0);
        HostClearCaptured();
        int result = hbar(line.data());
        *out = HostCapturedOutput();
        *err = HostCapturedErrors();
        return result;
    }

    void Field(const char* name, const std::u16string& text) {
        fprintf(dump, "%s %s\n", name, Escaped(text).c_str());
    }

    // The names in the list "/F *" prints when several functions match: each syntax line
    // begins, after its indent, with "@NAME[" (the name upper-cased); the count line ends it.
    static std::vector<std::u16string> NamesOf(const std::u16string& list) {
        std::vector<std::u16string> names;
        size_t start = 0;
        size_t end = 0;
        while ((end = list.find(u"\r\n", start)) != std::u16string::npos) {
            std::u16string line = list.substr(start, end - start);
            start = end + 2;
            size_t at = line.find(u'@');
            size_t bracket = line.find(u'[', at);
            if (at != std::u16string::npos && bracket != std::u16string::npos) {
                names.push_back(line.substr(at + 1, bracket - at - 1));
            }
        }
        return names;
    }

    void Compare(const std::string& file) {
        std::u16string name = Wide(file);
        std::vector<char16_t> full(32768);
        QueryTrueName(name.c_str(), full.data());
        std::u16string path = full.data();
        std::u16string out;
        std::u16string err;
        Run(u"/Z /Q", &out, &err);
        fprintf(dump, "file %s\n", file.c_str());
        int result = Run(u"/L:" + name, &out, &err);
        fprintf(dump, "result %d\n", result);
        Field("out", WithoutPath(out, path));
        Field("err", WithoutPath(err, path));
        Run(u"", &out, &err);
        Field("count", out + err);
        Run(u"/F:*", &out, &err);
        Field("list", out + err);
        // One function: the list is its help. None: the list is an error.
        constexpr std::u16string_view kListEnd = u" match \"*\".\r\n";
        bool listed = out.size() > kListEnd.size() && out.ends_with(kListEnd);
        std::vector<std::u16string> names = listed ? NamesOf(out) : std::vector<std::u16string>{};
        functions += !listed && err.empty();
        for (const std::u16string& function : names) {
            result = Run(u"/F:" + function, &out, &err);
            fprintf(dump, "help %d ", result);
            Field(Escaped(function).c_str(), out + err);
            ++functions;
        }
    }
};

int RunCorpus(const char* module, uint32_t codePage, const char* dumpPath) {
    CommandProc hbar = LoadPluginCommand(module);
    if (!hbar || !UsePluginCodePage(codePage)) {
        return 2;
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    FILE* dump = fopen(dumpPath, "wb");
    if (!dump) {
        fprintf(stderr, "cannot write %s\n", dumpPath);
        return 2;
    }
    HostCaptureOutput(1);
    Session session{hbar, dump, 0};
    fprintf(dump, "code page %u\n", codePage);
    for (const std::string& file : files) {
        session.Compare(file);
    }
    std::u16string out;
    std::u16string err;
    session.Run(u"/Z /Q", &out, &err);
    bool written = fclose(dump) == 0;
    printf("code page %u: %zu files, %ld functions\n", codePage, files.size(), session.functions);
    return written ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && strcmp(argv[1], "make") == 0) {
        int made = MakeCorpus(argv[2], argv[3], atoi(argv[4]),
                              static_cast<unsigned>(strtoul(argv[5], nullptr, 10)));
        if (made < 0) {
            return 2;
        }
        printf("%d files in %s\n", made, argv[2]);
        return 0;
    }
    if (argc == 5 && strcmp(argv[1], "run") == 0) {
        return RunCorpus(argv[2], static_cast<uint32_t>(strtoul(argv[3], nullptr, 10)), argv[4]);
    }
    fprintf(stderr, "usage: hintbar_differential make DIRECTORY SOURCE_ROOT RANDOM_FILES SEED\n"
                    "       hintbar_differential run MODULE CODE_PAGE DUMP\n");
    return 2;
}
