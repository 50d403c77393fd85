// Running the host program's script against the loaded plug-in.
#include "host/win/script.h"

#include "host/hostshell/host_control.h"

#include <cwchar>
#include <string>
#include <vector>

const char kScriptHelp[] =
    "One step a line:\n"
    "  # text              a comment; blank lines are skipped too\n"
    "  type TEXT           types each unit of TEXT at the cursor: key() sees the line and the\n"
    "                      cursor as they stand before the unit goes in, then it is inserted\n"
    "  key C               types the one character C, e.g. key ]\n"
    "  key #N              calls key() with key code N (decimal) and inserts nothing\n"
    "  left [N], right [N] moves the cursor N units (1 by default); home, end\n"
    "  line [TEXT]         replaces the line being edited, cursor at its end, no key events\n"
    "  newline             the line boundary: the status bar shows \"Ready\" again, key() gets\n"
    "                      key code 0 and no line, and the line empties\n"
    "  hbar [ARGS]         runs the command with ARGS and prints \"hbar returned N\"\n"
    "  batch NAME LINE     as if batch file NAME were running at LINE; \"batch\" alone: none\n"
    "  status              prints the status bar's text\n"
    "Every step is echoed as \"> STEP\"; after every step but \"status\" and comments the status\n"
    "bar's text is printed as \"status: TEXT\", with \\r, \\n, \\t, \\\\ and U+200B (\\u200B)\n"
    "escaped. A step that is not understood prints \"? not a step: STEP\", and the run goes on.\n";

namespace {

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    int n =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

// One line of the script without its line break; false at the end of the input.
bool ReadLine(FILE* input, std::wstring* line) {
    std::string bytes;
    int c;
    while ((c = fgetc(input)) != EOF && c != '\n') {
        bytes.push_back(static_cast<char>(c));
    }
    if (c == EOF && bytes.empty()) {
        return false;
    }
    if (!bytes.empty() && bytes.back() == '\r') {
        bytes.pop_back();
    }
    *line = FromUtf8(bytes);
    return true;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case 0x200B:
            out += L"\\u200B";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void SendKey(HostSession* s, int code, wchar_t* line) {
    KeyEvent event = {};
    event.key = code;
    event.line = reinterpret_cast<char16_t*>(line);
    event.cursor = line ? event.line + s->cursor : nullptr;
    s->plugin->key(&event);
}

void TypeUnit(HostSession* s, wchar_t unit) {
    SendKey(s, unit, s->line);
    if (s->length + 1 >= kCommandLineUnits) {
        return; // the line is full: the key goes nowhere
    }
    wmemmove(s->line + s->cursor + 1, s->line + s->cursor, s->length - s->cursor + 1);
    s->line[s->cursor++] = unit;
    ++s->length;
}

void SetLine(HostSession* s, const std::wstring& text) {
    s->length = text.size() < kCommandLineUnits ? text.size() : kCommandLineUnits - 1;
    wmemcpy(s->line, text.c_str(), s->length);
    s->line[s->length] = 0;
    s->cursor = s->length;
}

// A count after a step's name: 1 when absent, -1 when not a number.
long CountOf(const std::wstring& rest) {
    if (rest.empty()) {
        return 1;
    }
    wchar_t* end = nullptr;
    long n = wcstol(rest.c_str(), &end, 10);
    return (*end || n < 0) ? -1 : n;
}

bool RunStep(HostSession* s, const std::wstring& step) {
    size_t space = step.find(L' ');
    std::wstring name = step.substr(0, space);
    std::wstring rest = space == std::wstring::npos ? L"" : step.substr(space + 1);
    if (name == L"type") {
        for (wchar_t unit : rest) {
            TypeUnit(s, unit);
        }
    } else if (name == L"key" && rest.size() > 1 && rest[0] == L'#') {
        SendKey(s, static_cast<int>(wcstol(rest.c_str() + 1, nullptr, 10)), s->line);
    } else if (name == L"key" && rest.size() == 1) {
        TypeUnit(s, rest[0]);
    } else if ((name == L"left" || name == L"right") && CountOf(rest) >= 0) {
        size_t n = static_cast<size_t>(CountOf(rest));
        if (name == L"left") {
            s->cursor = n < s->cursor ? s->cursor - n : 0;
        } else {
            s->cursor = s->cursor + n < s->length ? s->cursor + n : s->length;
        }
    } else if (name == L"home" && rest.empty()) {
        s->cursor = 0;
    } else if (name == L"end" && rest.empty()) {
        s->cursor = s->length;
    } else if (name == L"line") {
        SetLine(s, rest);
    } else if (name == L"newline" && rest.empty()) {
        // An idle host shows its own text again; then the plug-in learns that a line begins.
        SetWindowTextW(s->window->statusBar, kIdleStatusText);
        SendKey(s, 0, nullptr);
        SetLine(s, L"");
    } else if (name == L"hbar") {
        std::vector<wchar_t> arguments(rest.begin(), rest.end());
        arguments.push_back(0);
        int result = s->plugin->hbar(reinterpret_cast<char16_t*>(arguments.data()));
        WriteOut((L"hbar returned " + std::to_wstring(result) + L"\n").c_str());
    } else if (name == L"batch") {
        size_t split = rest.rfind(L' ');
        if (rest.empty()) {
            HostSetBatch(nullptr, 0);
        } else if (split == std::wstring::npos) {
            return false;
        } else {
            std::wstring file = rest.substr(0, split);
            int number = static_cast<int>(wcstol(rest.c_str() + split + 1, nullptr, 10));
            HostSetBatch(reinterpret_cast<const char16_t*>(file.c_str()), number);
        }
    } else {
        return false;
    }
    return true;
}

} // namespace

void WriteOut(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return;
    }
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
    fwrite(bytes.data(), 1, static_cast<size_t>(n - 1), stdout);
    fflush(stdout);
}

void PrintStatus(const HostSession& session) {
    WriteOut((L"status: " + Escaped(StatusBarText(*session.window)) + L"\n").c_str());
}

int RunScript(HostSession* session, FILE* input) {
    int unknown = 0;
    std::wstring step;
    while (ReadLine(input, &step)) {
        if (step.empty() || step[0] == L'#') {
            continue;
        }
        WriteOut((L"> " + step + L"\n").c_str());
        if (step == L"status") {
            PrintStatus(*session);
            continue;
        }
        if (!RunStep(session, step)) {
            WriteOut((L"? not a step: " + step + L"\n").c_str());
            ++unknown;
        }
        ShowCommandLine(*session->window, session->line);
        PumpMessages();
        PrintStatus(*session);
    }
    return unknown;
}
