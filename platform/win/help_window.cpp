// Windows: the help window, a top-most tool window that never takes the focus, run by a thread
// of the plug-in's own so that it paints whatever the host's thread is doing. The thread holds a
// reference to the plug-in's module and gives it back as it ends, so the code under it stays
// mapped even when a host frees the library without stopping the plug-in first.
#include "platform/help_window_layout.h"
#include "platform/call_faults.h"
#include "platform/help_window_mailbox.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "platform/test_hooks.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr wchar_t kClassName[] = L"HintbarHelpWindow";
constexpr DWORD kCloseWaitMs = 5000;
constexpr int kPaddingAt96Dpi = 6;
constexpr int kMinWidthAt96Dpi = 320;
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
constexpr wchar_t kEllipsis = 0x2026;

// The host's thread's side.
HANDLE g_thread = nullptr;
HANDLE g_wake = nullptr; // set when a request waits in the mailbox
std::atomic<bool> g_threadEnded{
    false}; // set by the thread as it ends: asking the system costs more
std::atomic<uint32_t> g_error{0};
std::atomic<bool> g_noRoom{false}; // the last help beside the caret had no room to show

// The window thread's side: only that thread and its window procedure touch these.
struct HelpView {
    HWND window;
    HFONT font;
    UINT fontDpi; // the DPI the font was made for; 0 while there is none
    int padding;
    wchar_t shown[kHelpWindowTextUnits]; // what the window shows, cut with "…" when too long
};
HelpView g_view;
HelpWindowRequest g_request;

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY); // 0 without a screen
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The DPI of the monitor the window is on, where the system can say (Windows 10 on); the
// system's otherwise.
UINT DpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    auto query = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(user ? GetProcAddress(user, "GetDpiForWindow") : nullptr));
    UINT dpi = query ? query(window) : 0;
    return dpi ? dpi : ScreenDpi();
}

// The system's message font, for this DPI, so that themes and the user's text size apply.
void UseFontFor(UINT dpi) {
    if (g_view.fontDpi == dpi) {
        return;
    }
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    HFONT font = nullptr;
    if (!PlatformCallFails(kPlatformCallHelpPlace) &&
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        LOGFONTW face = metrics.lfMessageFont;
        face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
        font = CreateFontIndirectW(&face);
    }
    if (!font) {
        return; // the font from before, or the system's, still draws
    }
    DeleteObject(g_view.font); // none (a null one) the first time
    g_view.font = font;
    g_view.fontDpi = dpi;
}

int TextHeight(HDC dc, const wchar_t* text, int length, int width) {
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text, length, &r, kTextFormat | DT_CALCRECT);
    return r.bottom - r.top;
}

// Puts into g_view.shown as much of the text as fits the height, with "…" when some is cut:
// the longest start that fits, found by halving, never ending inside a surrogate pair.
void FitText(HDC dc, const wchar_t* text, int width, int height) {
    int length = lstrlenW(text);
    if (TextHeight(dc, text, length, width) <= height) {
        lstrcpynW(g_view.shown, text, kHelpWindowTextUnits);
        return;
    }
    int low = 0;
    int high = length;
    while (low < high) {
        int middle = (low + high + 1) / 2;
        CopyMemory(g_view.shown, text, static_cast<size_t>(middle) * sizeof(wchar_t));
        g_view.shown[middle] = kEllipsis;
        g_view.shown[middle + 1] = 0;
        if (TextHeight(dc, g_view.shown, middle + 1, width) <= height) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    if (low > 0 && IsHighSurrogate(text[low - 1])) {
        --low;
    }
    CopyMemory(g_view.shown, text, static_cast<size_t>(low) * sizeof(wchar_t));
    g_view.shown[low] = kEllipsis;
    g_view.shown[low + 1] = 0;
}

ScreenRect ToScreenRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The caret's cell when help goes beside it in a console window: the screen buffer gives its
// row and column in the visible part, which scrolls, and the console's font the cell's size.
// The client area is no measure of a cell: a console taller than the screen keeps its rows in a
// window that the screen cuts short.
bool CaretCell(HelpWindowAnchor anchor, HWND console, ScreenRect* cell) {
    if (anchor != kHelpBesideCaret) {
        return false;
    }
    HANDLE output =
        PlatformCallFails(kPlatformCallHelpPlace)
            ? INVALID_HANDLE_VALUE
            : CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        return false;
    }
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    CONSOLE_FONT_INFOEX font = {};
    font.cbSize = sizeof font;
    BOOL ok =
        GetConsoleScreenBufferInfo(output, &info) && GetCurrentConsoleFontEx(output, FALSE, &font);
    CloseHandle(output);
    POINT origin = {0, 0};
    if (!ok || font.dwFontSize.X <= 0 || font.dwFontSize.Y <= 0 ||
        !ClientToScreen(console, &origin)) {
        return false;
    }
    int width = font.dwFontSize.X;
    int height = font.dwFontSize.Y;
    int x = origin.x + (info.dwCursorPosition.X - info.srWindow.Left) * width;
    int y = origin.y + (info.dwCursorPosition.Y - info.srWindow.Top) * height;
    *cell = {x, y, x + width, y + height};
    return true;
}

// A console window's width as the user sees it: its rectangle without the side borders, which
// may be invisible (or, under a window manager that draws its own, not there at all).
RECT ConsoleWidth(HWND console, const RECT& rect) {
    WINDOWINFO window = {};
    window.cbSize = sizeof window;
    RECT inner = rect;
    if (GetWindowInfo(console, &window) &&
        window.cxWindowBorders * 2 < static_cast<UINT>(rect.right - rect.left)) {
        inner.left += static_cast<LONG>(window.cxWindowBorders);
        inner.right -= static_cast<LONG>(window.cxWindowBorders);
    }
    return inner;
}

// The window typed in and its monitor's work area; never the pseudo-console's stand-in, whose
// rectangle is not the terminal's.
HWND GatherFacts(HelpWindowAnchor anchor, HelpWindowFacts* facts) {
    HWND typing = anchor == kHelpBesideCaret ? GetConsoleWindow() : GetForegroundWindow();
    RECT rect = {};
    if (!typing || typing == g_view.window || !GetWindowRect(typing, &rect)) {
        return nullptr;
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (PlatformCallFails(kPlatformCallHelpPlace) ||
        !GetMonitorInfoW(MonitorFromWindow(typing, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return nullptr;
    }
    facts->work = ToScreenRect(monitor.rcWork);
    facts->typing = ToScreenRect(anchor == kHelpBesideCaret ? ConsoleWidth(typing, rect) : rect);
    facts->minimized = IsIconic(typing) != FALSE;
    facts->caretKnown = CaretCell(anchor, typing, &facts->caret);
    return typing;
}

// Shows the request's text where it belongs; false when nothing can show.
bool ShowView(const HelpWindowRequest& request) {
    g_noRoom = false;
    HelpWindowFacts facts = {};
    HWND typing = GatherFacts(request.anchor, &facts);
    if (!typing) {
        return false;
    }
    UINT dpi = DpiOf(typing);
    facts.minWidth = MulDiv(kMinWidthAt96Dpi, static_cast<int>(dpi), 96);
    g_view.padding = MulDiv(kPaddingAt96Dpi, static_cast<int>(dpi), 96);
    int frame = 2 * g_view.padding + 2 * GetSystemMetrics(SM_CXBORDER);
    int width = HelpWindowWidth(facts);
    if (width <= frame) {
        return false; // minimized, or no room at all
    }
    UseFontFor(dpi);
    const auto* text = reinterpret_cast<const wchar_t*>(request.text);
    HDC dc = GetDC(g_view.window);
    HGDIOBJ old = SelectObject(dc, g_view.font ? static_cast<HGDIOBJ>(g_view.font)
                                               : GetStockObject(DEFAULT_GUI_FONT));
    int wanted = TextHeight(dc, text, -1, width - frame) + frame;
    int most = HelpWindowMaxHeight(facts);
    facts.minHeight = TextHeight(dc, L"@", 1, width - frame) + frame;
    HelpWindowPlacement place = PlaceHelpWindow(facts, width, wanted < most ? wanted : most);
    g_noRoom = place.noRoom;
    if (place.show) {
        FitText(dc, text, width - frame, place.rect.bottom - place.rect.top - frame);
    }
    SelectObject(dc, old);
    ReleaseDC(g_view.window, dc);
    if (!place.show) {
        return false;
    }
    SetWindowTextW(g_view.window, g_view.shown); // what tools and screen readers read
    SetWindowPos(g_view.window, HWND_TOPMOST, place.rect.left, place.rect.top,
                 place.rect.right - place.rect.left, place.rect.bottom - place.rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(g_view.window, nullptr, TRUE);
    return true;
}

LRESULT CALLBACK HelpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // a click leaves the focus where the user types
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        HGDIOBJ old = SelectObject(dc, g_view.font ? static_cast<HGDIOBJ>(g_view.font)
                                                   : GetStockObject(DEFAULT_GUI_FONT));
        InflateRect(&r, -g_view.padding, -g_view.padding);
        DrawTextW(dc, g_view.shown, -1, &r, kTextFormat);
        SelectObject(dc, old);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// 0, or the system's error number when the window cannot be made.
DWORD MakeWindow(HMODULE module) {
    WNDCLASSEXW type = {};
    type.cbSize = sizeof type;
    type.lpfnWndProc = HelpWindowProc;
    type.hInstance = module;
    type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.lpszClassName = kClassName;
    if ((PlatformCallFails(kPlatformCallHelpWindow) || !RegisterClassExW(&type)) &&
        GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return GetLastError();
    }
    // No taskbar button or task-switcher entry, above the terminal, never activated.
    g_view.window =
        PlatformCallFails(kPlatformCallHelpWindow)
            ? nullptr
            : CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"",
                              WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
    if (!g_view.window) {
        DWORD error = GetLastError();
        UnregisterClassW(kClassName, module);
        return error ? error : static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY);
    }
    return 0;
}

// Requests and the window's own messages, until a quit.
void RunWindow() {
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &g_wake, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            while (TakeHelpWindowRequest(&g_request)) {
                if (g_request.op == HelpWindowOp::Quit) {
                    return;
                }
                if (g_request.op != HelpWindowOp::Show || !ShowView(g_request)) {
                    ShowWindow(g_view.window, SW_HIDE);
                }
            }
        } else if (woke == WAIT_OBJECT_0 + 1) {
            // The window's own messages; the quit comes through the mailbox.
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        } else {
            return;
        }
    }
}

DWORD WINAPI HelpWindowThread(void* parameter) {
    HMODULE module = static_cast<HMODULE>(parameter);
    DWORD error = MakeWindow(module);
    if (!error) {
        RunWindow();
        DestroyWindow(g_view.window);
        UnregisterClassW(kClassName, module);
    }
    if (g_view.font) {
        DeleteObject(g_view.font);
    }
    g_view.window = nullptr;
    g_view.font = nullptr;
    g_view.fontDpi = 0;
    // Ended before the reason is told: whoever reads the reason and shows help again makes a new
    // thread rather than hand the help to this one, which takes no more requests.
    g_threadEnded = true;
    if (error) {
        g_error = error;
    }
    FreeLibraryAndExitThread(module, 0);
}

bool ThreadRuns() {
    return g_thread && !g_threadEnded;
}

bool StartThread() {
    if (ThreadRuns()) {
        return true;
    }
    if (g_thread) { // ended: its window could not be made, or a close did not wait it out
        CloseHandle(g_thread);
        g_thread = nullptr;
    }
    if (!g_wake) {
        g_wake = PlatformCallFails(kPlatformCallHelpThread)
                     ? nullptr
                     : CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!g_wake) {
            g_error = GetLastError();
            return false;
        }
    }
    ClearHelpWindowRequests();
    HMODULE module = nullptr;
    if (PlatformCallFails(kPlatformCallHelpThread) ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&HelpWindowThread), &module)) {
        g_error = GetLastError();
        return false;
    }
    g_error = 0;
    g_threadEnded = false;
    g_thread = PlatformCallFails(kPlatformCallHelpThread)
                   ? nullptr
                   : CreateThread(nullptr, 0, HelpWindowThread, module, 0, nullptr);
    if (!g_thread) {
        g_error = GetLastError();
        FreeLibrary(module);
        return false;
    }
    return true;
}

void Post(HelpWindowOp op, HelpWindowAnchor anchor, const char16_t* text) {
    PostHelpWindowRequest(op, anchor, text);
    SetEvent(g_wake);
}

} // namespace

bool PlatformShowHelpWindow(const char16_t* text, HelpWindowAnchor anchor) {
    if (!StartThread()) {
        return false;
    }
    Post(HelpWindowOp::Show, anchor, text);
    return true;
}

void PlatformHideHelpWindow() {
    if (g_thread) {
        Post(HelpWindowOp::Hide, kHelpBesideCaret, nullptr);
    }
}

void PlatformCloseHelpWindow() {
    if (!g_thread) {
        return;
    }
    Post(HelpWindowOp::Quit, kHelpBesideCaret, nullptr);
    if (WaitForSingleObject(g_thread, kCloseWaitMs) != WAIT_OBJECT_0) {
        // Still ending. It is kept, with its event, so that no second thread shares them: its
        // quit stays in the mailbox, and help shown meanwhile goes nowhere until it has ended.
        return;
    }
    CloseHandle(g_thread);
    g_thread = nullptr;
    CloseHandle(g_wake);
    g_wake = nullptr;
}

uint32_t PlatformHelpWindowError() {
    return g_error;
}

bool PlatformHelpWindowHasRoom() {
    // The window is sized to the monitor's work area; what can lack room is the screen beside
    // the caret's row, which the last placement tells.
    return !g_noRoom;
}

#if defined(HB_TESTING)
bool PlatformEndHelpWindow(int milliseconds) {
    // Each close waits up to five seconds and keeps a thread that is still ending.
    for (int waited = 0; g_thread && waited < milliseconds; waited += 5000) {
        PlatformCloseHelpWindow();
    }
    return !g_thread;
}
#endif
