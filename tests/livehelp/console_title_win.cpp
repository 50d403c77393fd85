// Live help in a real console window's title: a GUI program that makes itself a console with
// AllocConsole, loads the plug-in as a host does, and types brackets. Exits 0 when every check
// holds; each failed check is written to the standard error the program started with.
#include "host/win/plugin_loader.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE g_report = INVALID_HANDLE_VALUE;
int g_failures = 0;

void Check(bool ok, const std::wstring& what) {
    if (ok) {
        return;
    }
    ++g_failures;
    std::wstring line = L"FAILED: " + what + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(g_report, text.data(), static_cast<DWORD>(text.size() - 1), &written, nullptr);
}

std::wstring Title() {
    wchar_t title[1024] = L"";
    GetConsoleTitleW(title, 1024);
    return title;
}

void Press(KeyProc key, int code, const wchar_t* text) {
    std::wstring line = text ? text : L"";
    KeyEvent event = {};
    event.key = code;
    event.line = text ? reinterpret_cast<char16_t*>(line.data()) : nullptr;
    event.cursor = text ? event.line + line.size() : nullptr;
    key(&event);
}

void ExpectTitle(const std::wstring& expected, const std::wstring& step) {
    std::wstring title = Title();
    Check(title == expected, step + L": title \"" + title + L"\", expected \"" + expected + L"\"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    g_report = GetStdHandle(STD_ERROR_HANDLE); // before the console takes the standard handles
    if (!AllocConsole()) {
        Check(false, L"AllocConsole failed: " + std::to_wstring(GetLastError()));
        return 1;
    }
    HWND console = GetConsoleWindow();
    Check(console && IsWindowVisible(console), L"the new console window is visible");

    Plugin plugin = {};
    plugin.module = LoadLibraryW(kPluginFileName);
    Check(plugin.module != nullptr, L"the plug-in loads");
    if (!plugin.module) {
        return 1;
    }
    plugin.hbar = reinterpret_cast<CommandProc>(
        reinterpret_cast<void*>(GetProcAddress(plugin.module, "hbar")));
    plugin.key =
        reinterpret_cast<KeyProc>(reinterpret_cast<void*>(GetProcAddress(plugin.module, "key")));
    plugin.shutdownPlugin = reinterpret_cast<ShutdownPluginProc>(
        reinterpret_cast<void*>(GetProcAddress(plugin.module, "ShutdownPlugin")));

    // A help file of two functions in the temporary folder.
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"hintbar-title-test.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const char help[] = "@A[x]\r\n@B[y] - About B\r\n";
    DWORD written = 0;
    WriteFile(file, help, sizeof help - 1, &written, nullptr);
    CloseHandle(file);
    std::wstring command = L"/Q /L:\"" + path + L"\"";
    Check(plugin.hbar(reinterpret_cast<char16_t*>(command.data())) == 0, L"the help loads");

    SetConsoleTitleW(L"Console");
    Press(plugin.key, 0, nullptr);
    Press(plugin.key, L'[', L"%@a");
    ExpectTitle(L"Console", L"without HintbarConsole");

    SetEnvironmentVariableW(L"HintbarConsole", L"Title");
    Press(plugin.key, L'[', L"%@a[%@b");
    ExpectTitle(L"@B[y] - About B", L"[ after B");
    Press(plugin.key, L']', L"%@a[%@b[1");
    ExpectTitle(L"@A[x]", L"] inside A");
    Press(plugin.key, L']', L"%@a[1");
    ExpectTitle(L"Console", L"] with no enclosing function");
    Press(plugin.key, L'[', L"%@b");
    Press(plugin.key, 0, nullptr);
    ExpectTitle(L"Console", L"the line boundary puts the title back");
    Press(plugin.key, L'[', L"%@b");
    SetConsoleTitleW(L"Mine");
    Press(plugin.key, 0, nullptr);
    ExpectTitle(L"Mine", L"a title the host set stays");
    Press(plugin.key, L'[', L"%@a");
    plugin.shutdownPlugin(0);
    ExpectTitle(L"Mine", L"shutdown puts the title back");

    FreeLibrary(plugin.module);
    DeleteFileW(path.c_str());
    FreeConsole();
    return g_failures ? 1 : 0;
}
