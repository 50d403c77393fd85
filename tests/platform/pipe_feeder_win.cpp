// Runs a program with a Windows pipe for its standard input and writes a file into the pipe, as
// "type FILE | PROGRAM" does in a console, where one Windows program fills a pipe that another
// reads. (Wine's own command processor passes a temporary file instead, and a pipe made on the
// Linux side ends differently.) The program keeps this program's standard output and error.
//
//   pipe_feeder FILE PROGRAM [ARGUMENT...]   exit status: the program's, or 2
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

// One argument as CommandLineToArgvW reads it back: quoted, its quotes and the backslashes
// before them escaped.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

} // namespace

int main() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 3) {
        fprintf(stderr, "usage: pipe_feeder FILE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    HANDLE file =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "pipe_feeder: cannot open %ls (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 4096) ||
        !SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0)) {
        fprintf(stderr, "pipe_feeder: cannot make a pipe (error %lu)\n", GetLastError());
        return 2;
    }
    std::wstring line;
    for (int i = 2; i < count; ++i) {
        line += (i > 2 ? L" " : L"") + Quoted(argv[i]);
    }
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = readEnd;
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                        &child)) {
        fprintf(stderr, "pipe_feeder: cannot run %ls (error %lu)\n", argv[2], GetLastError());
        return 2;
    }
    CloseHandle(readEnd); // the child's now: its reads end when the write end closes
    char buffer[3000];    // less than the pipe holds, so that the reader takes several pieces
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        DWORD written = 0;
        if (!WriteFile(writeEnd, buffer, got, &written, nullptr)) {
            break; // the reader has gone
        }
    }
    CloseHandle(writeEnd);
    CloseHandle(file);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    LocalFree(argv);
    return static_cast<int>(status);
}
