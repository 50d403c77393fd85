// Live help in a real console: a GUI program that makes itself a console with AllocConsole,
// loads the plug-in as a host does, and types brackets, with help in the console's title and
// then in the help window beside the line. Exits 0 when every check holds; each failed check is
// written to the standard error the program started with, as are the rows' positions. With
// --rows only the check of the window beside the caret at several rows runs (for screens of
// other sizes); with --picture it sets up the README's picture.
#include "host/win/plugin_loader.h"

#include <tlhelp32.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE g_report = INVALID_HANDLE_VALUE;
HANDLE g_input = INVALID_HANDLE_VALUE;
int g_failures = 0;

void Say(const std::wstring& line) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(g_report, text.data(), static_cast<DWORD>(text.size() - 1), &written, nullptr);
}

void Check(bool ok, const std::wstring& what) {
    if (!ok) {
        ++g_failures;
        Say(L"FAILED: " + what + L"\n");
    }
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

std::wstring Text(HWND window) {
    wchar_t text[8192] = L"";
    GetWindowTextW(window, text, 8192);
    return text;
}

// The help window once it shows the text (or, for an empty text, once it is hidden), waiting
// for its thread up to ten seconds (a busy machine); null when it never does.
HWND AwaitHelpWindow(const std::wstring& text) {
    for (int i = 0; i < 1000; ++i) {
        HWND window = FindWindowW(L"HintbarHelpWindow", nullptr);
        bool visible = window && IsWindowVisible(window);
        if (text.empty() ? !visible : visible && Text(window) == text) {
            return window ? window : HWND_BOTTOM; // hidden, or gone
        }
        Sleep(10);
    }
    return nullptr;
}

bool ThreadEnded(DWORD id) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread) {
        return true;
    }
    bool ended = WaitForSingleObject(thread, 2000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

// The caret's row as the console draws it: rows of the console's font from the top of the client
// area, counted from the top of the buffer's visible part.
bool CaretRow(HWND console, LONG* top, LONG* bottom) {
    HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    CONSOLE_FONT_INFOEX font = {};
    font.cbSize = sizeof font;
    bool ok = GetConsoleScreenBufferInfo(output, &info) &&
              GetCurrentConsoleFontEx(output, FALSE, &font) && font.dwFontSize.Y > 0;
    CloseHandle(output);
    POINT origin = {0, 0};
    ClientToScreen(console, &origin);
    *top = origin.y + (info.dwCursorPosition.Y - info.srWindow.Top) * font.dwFontSize.Y;
    *bottom = *top + font.dwFontSize.Y;
    return ok;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The help window beside the line: shown, followed and hidden as the status bar's help would
// be, inside the monitor's work area, never over the caret's row, never taking the focus.
void CheckHelpWindow(Plugin& plugin, HWND console) {
    HWND editor = CreateWindowExW(0, L"STATIC", L"editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                  100, 500, 300, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(editor);
    SetFocus(editor);
    HWND foreground = GetForegroundWindow();
    HWND active = GetActiveWindow();
    HWND focus = GetFocus();
    int threads = ThreadsOfThisProcess();

    SetEnvironmentVariableW(L"HintbarConsole", nullptr);
    Press(plugin.key, 0, nullptr);
    Press(plugin.key, L'[', L"%@b");
    Check(FindWindowW(L"HintbarHelpWindow", nullptr) == nullptr &&
              ThreadsOfThisProcess() == threads,
          L"no window and no thread while the window is not asked for");

    SetEnvironmentVariableW(L"HintbarConsole", L"window");
    Press(plugin.key, L'[', L"%@a[%@b");
    HWND help = AwaitHelpWindow(L"@B[y]\n\nAbout B");
    Check(help != nullptr, L"[ shows B's help in the window");
    if (!help) {
        return;
    }
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(help, GWL_EXSTYLE));
    Check((exStyle & WS_EX_TOOLWINDOW) && (exStyle & WS_EX_TOPMOST) && (exStyle & WS_EX_NOACTIVATE),
          L"a top-most tool window that is never activated");
    Check(GetForegroundWindow() == foreground && GetActiveWindow() == active && GetFocus() == focus,
          L"the foreground, active and focus windows stay");
    DWORD helpThread = GetWindowThreadProcessId(help, nullptr);
    Check(helpThread != GetCurrentThreadId(), L"the window runs on a thread of its own");

    RECT rect = {};
    GetWindowRect(help, &rect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(console, MONITOR_DEFAULTTONEAREST), &monitor);
    Check(Inside(rect, monitor.rcWork), L"the window lies inside the work area");
    LONG rowTop = 0;
    LONG rowBottom = 0;
    Check(CaretRow(console, &rowTop, &rowBottom), L"the console's font is known");
    Check(rect.bottom <= rowTop || rect.top >= rowBottom,
          L"the window does not cross the caret's row");

    Press(plugin.key, L']', L"%@a[%@b[1");
    Check(AwaitHelpWindow(L"@A[x]") != nullptr, L"] shows the enclosing function's help");
    Press(plugin.key, L']', L"%@a[1");
    Check(AwaitHelpWindow(L"") != nullptr, L"] with nothing enclosing hides the window");
    Press(plugin.key, L'[', L"%@b");
    Check(AwaitHelpWindow(L"@B[y]\n\nAbout B") != nullptr, L"[ shows it again");
    Press(plugin.key, 0, nullptr);
    Check(AwaitHelpWindow(L"") != nullptr, L"the line boundary hides the window");
    Check(GetForegroundWindow() == foreground && GetActiveWindow() == active && GetFocus() == focus,
          L"the foreground, active and focus windows stay after it all");

    // A terminal: the console window hidden and a host that names no window. The window goes
    // along the bottom edge of the window typed in, never by the console's rectangle.
    ShowWindow(console, SW_HIDE);
    SetForegroundWindow(editor);
    Press(plugin.key, L'[', L"%@a");
    help = AwaitHelpWindow(L"@A[x]");
    Check(help != nullptr, L"in a terminal, [ shows the help");
    RECT typing = {};
    GetWindowRect(GetForegroundWindow(), &typing);
    GetWindowRect(help, &rect);
    Check(rect.top == typing.bottom && rect.left == typing.left,
          L"in a terminal the window lies along the bottom edge of the window typed in");
    ShowWindow(console, SW_SHOWNOACTIVATE);
    Press(plugin.key, 0, nullptr);
    DestroyWindow(editor);
    SetEnvironmentVariableW(L"HintbarConsole", nullptr);
    Check(helpThread != 0, L"the window's thread is known");
    plugin.shutdownPlugin(0);
    Check(FindWindowW(L"HintbarHelpWindow", nullptr) == nullptr,
          L"after shutdown no window of the plug-in's remains");
    Check(ThreadEnded(helpThread), L"after shutdown the window's thread has ended");
}

// Help beside the caret at several rows, on a screen whatever its height: never over the
// caret's row, on the work area, and within the console's width (its client area and scroll
// bar) where the console is wide enough.
void CheckRows(Plugin& plugin, HWND console) {
    HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(output, &info);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(console, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT client = {};
    GetClientRect(console, &client);
    POINT origin = {0, 0};
    ClientToScreen(console, &origin);
    LONG scrollBar =
        (GetWindowLongW(console, GWL_STYLE) & WS_VSCROLL) != 0 ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    LONG consoleRight = origin.x + client.right + scrollBar;
    SetEnvironmentVariableW(L"HintbarConsole", L"window");
    const RECT& work = monitor.rcWork;
    Say(L"work area " + std::to_wstring(work.right - work.left) + L"x" +
        std::to_wstring(work.bottom - work.top) + L", console's client area " +
        std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom) + L" at y " +
        std::to_wstring(origin.y) + L"\n");
    SHORT last = info.srWindow.Bottom;
    const SHORT rows[] = {0, 2, 5, 9, 13, static_cast<SHORT>(last / 2), last};
    for (SHORT row : rows) {
        std::wstring at = L"caret on row " + std::to_wstring(row);
        Press(plugin.key, 0, nullptr);
        Check(AwaitHelpWindow(L"") != nullptr, at + L": the line boundary hides the window");
        SetConsoleCursorPosition(output, {5, static_cast<SHORT>(info.srWindow.Top + row)});
        Press(plugin.key, L'[', L"%@b");
        HWND help = AwaitHelpWindow(L"@B[y]\n\nAbout B");
        Check(help != nullptr, at + L": the help shows");
        if (!help) {
            continue;
        }
        RECT rect = {};
        GetWindowRect(help, &rect);
        LONG rowTop = 0;
        LONG rowBottom = 0;
        Check(CaretRow(console, &rowTop, &rowBottom), at + L": the console's font is known");
        Say(at + L": caret y " + std::to_wstring(rowTop) + L"-" + std::to_wstring(rowBottom) +
            L", window y " + std::to_wstring(rect.top) + L"-" + std::to_wstring(rect.bottom) +
            L"\n");
        Check(rect.bottom <= rowTop || rect.top >= rowBottom,
              at + L": the window does not cross the caret's row");
        Check(Inside(rect, monitor.rcWork), at + L": the window lies inside the work area");
        Check(rect.left >= origin.x && (rect.right <= consoleRight || rect.right <= origin.x + 320),
              at + L": the window lies within the console's width");
    }
    Press(plugin.key, 0, nullptr);
    CloseHandle(output);
    SetEnvironmentVariableW(L"HintbarConsole", nullptr);
}

} // namespace

// For the README's pictures: a console with a line typed and the help window beside it, left
// up until the picture is taken (the program's standard input closes, or a minute passes):
// LEFT's help with its second argument being typed, or (names) the functions that begin with
// what is typed.
int ShowForPicture(Plugin& plugin, HWND console, bool names) {
    HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const wchar_t* typed = names ? L"C:\\> echo %@l" : L"C:\\> echo %@left[5";
    DWORD written = 0;
    WriteConsoleW(output, L"Hintbar v0.93.0 loaded.\r\n\r\n", 27, &written, nullptr);
    WriteConsoleW(output, typed, static_cast<DWORD>(wcslen(typed)), &written, nullptr);
    SetConsoleTitleW(L"Command prompt");
    SetEnvironmentVariableW(L"HintbarConsole", L"window");
    Press(plugin.key, 0, nullptr);
    Press(plugin.key, names ? L'e' : L',', names ? L"echo %@l" : L"echo %@left[5");
    WriteConsoleW(output, names ? L"e" : L",", 1, &written, nullptr);
    CloseHandle(output);
    bool visible = false;
    for (int i = 0; i < 200 && !visible; ++i) {
        HWND window = FindWindowW(L"HintbarHelpWindow", nullptr);
        visible = window && IsWindowVisible(window);
        Sleep(visible ? 0 : 10);
    }
    Check(visible, L"the window shows");
    SetForegroundWindow(console);
    char byte = 0;
    DWORD read = 0;
    ReadFile(g_input, &byte, 1, &read, nullptr); // until the picture is taken
    plugin.shutdownPlugin(0);
    return g_failures ? 1 : 0;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    g_report = GetStdHandle(STD_ERROR_HANDLE); // before the console takes the standard handles
    g_input = GetStdHandle(STD_INPUT_HANDLE);
    bool picture = wcsstr(GetCommandLineW(), L"--picture") != nullptr;
    bool names = wcsstr(GetCommandLineW(), L"--picture-names") != nullptr;
    bool rowsOnly = wcsstr(GetCommandLineW(), L"--rows") != nullptr; // a screen of another size
    // The checks pin what the brackets alone do; the picture shows the help as it follows the
    // typing, as users see it by default.
    if (!picture) {
        SetEnvironmentVariableW(L"HintbarFollow", L"off");
    }
    if (!AllocConsole()) {
        Check(false, L"AllocConsole failed: " + std::to_wstring(GetLastError()));
        return 1;
    }
    HWND console = GetConsoleWindow();
    Check(console && IsWindowVisible(console), L"the new console window is visible");

    Plugin plugin = {};
    Check(LoadPlugin(kPluginFileName, &plugin), L"the plug-in loads");
    if (!plugin.module) {
        return 1;
    }

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
    if (picture) {
        wchar_t sample[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"Hintbar", sample, MAX_PATH);
        std::wstring load = L"/Q /L:\"" + std::wstring(sample) + L"\"";
        Check(plugin.hbar(reinterpret_cast<char16_t*>(load.data())) == 0, L"the sample loads");
        return ShowForPicture(plugin, console, names);
    }
    Check(plugin.hbar(reinterpret_cast<char16_t*>(command.data())) == 0, L"the help loads");
    if (rowsOnly) {
        CheckRows(plugin, console);
        plugin.shutdownPlugin(0);
        DeleteFileW(path.c_str());
        return g_failures ? 1 : 0;
    }

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

    // The help window, with the plug-in loaded afresh.
    LoadPlugin(kPluginFileName, &plugin);
    Check(plugin.hbar(reinterpret_cast<char16_t*>(command.data())) == 0, L"the help loads again");
    CheckHelpWindow(plugin, console);
    FreeLibrary(plugin.module); // right after shutdown: nothing of the plug-in's still runs

    LoadPlugin(kPluginFileName, &plugin);
    plugin.hbar(reinterpret_cast<char16_t*>(command.data()));
    CheckRows(plugin, console);
    plugin.shutdownPlugin(0);
    FreeLibrary(plugin.module);

    // A host that frees the library without stopping the plug-in: the window's thread keeps
    // the module, so its code stays mapped and it goes on working.
    LoadPlugin(kPluginFileName, &plugin);
    plugin.hbar(reinterpret_cast<char16_t*>(command.data()));
    SetEnvironmentVariableW(L"HintbarConsole", L"window");
    Press(plugin.key, 0, nullptr);
    Press(plugin.key, L'[', L"%@b");
    HWND shown = AwaitHelpWindow(L"@B[y]\n\nAbout B");
    Check(shown != nullptr, L"the window shows before the library is freed");
    FreeLibrary(plugin.module);
    Check(GetModuleHandleW(kPluginFileName) != nullptr,
          L"the window's thread keeps the plug-in loaded");
    Check(shown && Text(shown) == L"@B[y]\n\nAbout B" && IsWindowVisible(shown),
          L"the window still answers after the host freed the library");

    DeleteFileW(path.c_str());
    FreeConsole();
    return g_failures ? 1 : 0;
}
