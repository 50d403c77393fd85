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
#include "platform/win/help_window_access.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr wchar_t kClassName[] = L"HintbarHelpWindow";
constexpr DWORD kCloseWaitMs = 5000;
constexpr int kPaddingAt96Dpi = 6;
constexpr int kMinWidthAt96Dpi = 320;
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
constexpr wchar_t kEllipsis = 0x2026;
constexpr wchar_t kStart = kEmphasisStart;
constexpr wchar_t kEnd = kEmphasisEnd;
// The most of a help text kept before "…": room stays for a mark that closes a cut run, the
// "…" and the terminator.
constexpr int kMostKept = static_cast<int>(kHelpWindowTextUnits) - 3;

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
    HFONT bold;   // the font's emphasised form, for the runs between marks; may be none
    UINT fontDpi; // the DPI the fonts were made for; 0 while there are none
    int padding;
    HWINEVENTHOOK watch; // sees the events the system raises for the window itself
    unsigned seen; // those events seen since last asked, one bit each from EVENT_OBJECT_CREATE
    wchar_t shown[kHelpWindowTextUnits];  // what the window shows, cut with "…" when too long
    wchar_t fitted[kHelpWindowTextUnits]; // what it is to show next, before it is compared
    wchar_t plain[kHelpWindowTextUnits];  // what it shows without the marks: its text and name
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

// The system's message font, for this DPI, so that themes and the user's text size apply, and
// its bold form for emphasis (underlined instead where the message font is bold already).
void UseFontFor(UINT dpi) {
    if (g_view.fontDpi == dpi) {
        return;
    }
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    HFONT font = nullptr;
    HFONT bold = nullptr;
    if (!PlatformCallFails(kPlatformCallHelpPlace) &&
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        LOGFONTW face = metrics.lfMessageFont;
        face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
        font = CreateFontIndirectW(&face);
        if (face.lfWeight >= FW_BOLD) {
            face.lfUnderline = TRUE;
        } else {
            face.lfWeight = FW_BOLD;
        }
        bold = font ? CreateFontIndirectW(&face) : nullptr; // none: runs show in the font
    }
    if (!font) {
        return; // the fonts from before, or the system's, still draw
    }
    DeleteObject(g_view.font); // none (a null one) the first time
    DeleteObject(g_view.bold);
    g_view.font = font;
    g_view.bold = bold;
    g_view.fontDpi = dpi;
}

bool IsMark(wchar_t unit) {
    return unit == kStart || unit == kEnd;
}

bool HasMarks(const wchar_t* text, int length) {
    for (int i = 0; i < length; ++i) {
        if (IsMark(text[i])) {
            return true;
        }
    }
    return false;
}

// A text with marks set in rows within a width as DrawTextW sets a text in one font (rows break
// at blanks, or inside a word wider than a row; tabs stop every eight average characters), but
// with the runs between the marks in the bold font and the marks not at all. Text in one font
// on a row is measured and drawn in one piece, as DrawTextW does, so that a row without marks
// comes out as it would from DrawTextW.
struct MarkedSetting {
    HDC dc;
    HFONT normal; // the font selected when the setting began, selected again when it ends
    HFONT bold;   // none: runs show in the normal font
    int width;    // of a row
    int rowHeight;
    int tab;
    bool draw;    // false: only measured
    POINT origin; // where the first row starts, when drawn
    int y;        // the row's top, from the first row's
    // The row's text not yet drawn: one font, from `from` in the line, starting at x.
    const wchar_t* line;
    int from;
    int x;
    bool emphasis;
};

int Extent(MarkedSetting& s, const wchar_t* text, int length, bool emphasis) {
    SelectObject(s.dc, emphasis && s.bold ? s.bold : s.normal);
    SIZE size = {};
    GetTextExtentPoint32W(s.dc, text, length, &size);
    return size.cx;
}

// Where the row's text would end, were it to run on to `end`.
int RightOf(MarkedSetting& s, int end) {
    return s.x + Extent(s, s.line + s.from, end - s.from, s.emphasis);
}

// Draws the row's text up to `end`; what follows starts where it ends.
void Flush(MarkedSetting& s, int end) {
    int right = RightOf(s, end);
    if (s.draw && end > s.from) {
        TextOutW(s.dc, s.origin.x + s.x, s.origin.y + s.y, s.line + s.from, end - s.from);
    }
    s.from = end;
    s.x = right;
}

void NewRow(MarkedSetting& s, int from) {
    s.y += s.rowHeight;
    s.from = from;
    s.x = 0;
}

void TakeMark(MarkedSetting& s, int at) {
    Flush(s, at);
    s.emphasis = s.line[at] == kStart;
    s.from = at + 1;
}

int NextMark(const wchar_t* line, int from, int end) {
    while (from < end && !IsMark(line[from])) {
        ++from;
    }
    return from;
}

// A word (no blanks, perhaps marks) from start to end: on the next row when it does not fit
// this one, and broken where it is wider than a row (one character a row at least, and a
// surrogate pair never parted).
void PutWord(MarkedSetting& s, int start, int end) {
    int part = NextMark(s.line, start, end);
    int right = RightOf(s, part);
    for (bool emphasis = s.emphasis; part < end;) {
        emphasis = s.line[part] == kStart;
        int next = NextMark(s.line, part + 1, end);
        right += Extent(s, s.line + part + 1, next - part - 1, emphasis);
        part = next;
    }
    if (RightOf(s, start) > 0 && right > s.width) {
        Flush(s, start);
        NewRow(s, start);
    }
    for (int i = start; i < end;) {
        if (IsMark(s.line[i])) {
            TakeMark(s, i++);
            continue;
        }
        int partEnd = NextMark(s.line, i, end);
        SelectObject(s.dc, s.emphasis && s.bold ? s.bold : s.normal);
        int fit = 0;
        SIZE size = {};
        GetTextExtentExPointW(s.dc, s.line + s.from, partEnd - s.from,
                              s.width > s.x ? s.width - s.x : 0, &fit, nullptr, &size);
        int stop = s.from + fit;
        if (stop >= partEnd) {
            i = partEnd;
            continue;
        }
        if (stop > s.from && IsHighSurrogate(s.line[stop - 1])) {
            --stop;
        }
        if (stop == s.from && s.x == 0) {
            stop += partEnd - stop > 1 && IsHighSurrogate(s.line[stop]) ? 2 : 1;
        }
        stop = stop > i ? stop : i;
        Flush(s, stop);
        NewRow(s, stop);
        i = stop;
    }
}

void PutLine(MarkedSetting& s, const wchar_t* line, int length) {
    s.line = line;
    s.from = 0;
    s.x = 0;
    s.emphasis = false; // a run never goes on past its line
    for (int i = 0; i < length;) {
        if (IsMark(line[i])) {
            TakeMark(s, i++);
        } else if (line[i] == L'\t') {
            Flush(s, i);
            s.x = (s.x / s.tab + 1) * s.tab;
            s.from = ++i;
        } else if (line[i] == L' ') {
            ++i; // blanks go with the row's text; at a break they end the row unseen
        } else {
            int end = i;
            while (end < length && line[end] != L' ' && line[end] != L'\t') {
                ++end;
            }
            PutWord(s, i, end);
            i = end;
        }
    }
    Flush(s, length);
}

// Sets (draws, or only measures) a text with marks in a box of the width from the origin;
// returns its height. The font selected in the DC is the normal one.
int SetMarkedText(HDC dc, const wchar_t* text, int length, int width, POINT origin, bool draw) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    auto normal = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    MarkedSetting s = {dc,      normal, g_view.bold, width, metrics.tmHeight, 0, draw, origin, 0,
                       nullptr, 0,      0,           false};
    s.tab = metrics.tmAveCharWidth > 0 ? 8 * metrics.tmAveCharWidth : 1;
    int start = 0;
    for (int i = 0; i <= length; ++i) {
        if (i == length || text[i] == L'\n' || text[i] == L'\r') {
            PutLine(s, text + start, i - start);
            if (i == length) {
                break;
            }
            if (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n') {
                ++i;
            }
            NewRow(s, 0);
            start = i + 1;
        }
    }
    SelectObject(dc, normal);
    return s.y + s.rowHeight;
}

int TextHeight(HDC dc, const wchar_t* text, int length, int width) {
    if (length < 0) {
        length = lstrlenW(text);
    }
    if (HasMarks(text, length)) {
        return SetMarkedText(dc, text, length, width, POINT{0, 0}, false);
    }
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text, length, &r, kTextFormat | DT_CALCRECT);
    return r.bottom - r.top;
}

// Puts into g_view.fitted the text's first `keep` units (at most kMostKept) and "…"; a run
// the cut leaves open ends before the "…", and a mark that would open nothing is left out.
// Returns the length.
int CutText(const wchar_t* text, int keep) {
    wchar_t* out = g_view.fitted;
    CopyMemory(out, text, static_cast<size_t>(keep) * sizeof(wchar_t));
    if (keep > 0 && out[keep - 1] == kStart) {
        --keep;
    }
    bool open = false;
    for (int i = 0; i < keep; ++i) {
        if (IsMark(out[i])) {
            open = out[i] == kStart;
        }
    }
    if (open) {
        out[keep++] = kEnd;
    }
    out[keep++] = kEllipsis;
    out[keep] = 0;
    return keep;
}

// Puts into g_view.fitted as much of the text as fits the height, with "…" when some is cut:
// the longest start that fits, found by halving, never ending inside a surrogate pair.
void FitText(HDC dc, const wchar_t* text, int width, int height) {
    int length = lstrlenW(text);
    if (TextHeight(dc, text, length, width) <= height) {
        lstrcpynW(g_view.fitted, text, kHelpWindowTextUnits);
        return;
    }
    int low = 0;
    int high = length < kMostKept ? length : kMostKept;
    while (low < high) {
        int middle = (low + high + 1) / 2;
        if (TextHeight(dc, g_view.fitted, CutText(text, middle), width) <= height) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    if (low > 0 && IsHighSurrogate(text[low - 1])) {
        --low;
    }
    CutText(text, low);
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

// Screen readers learn of the window from events: the system raises some itself (Windows, for
// a window shown or hidden and a window text set), others not (Wine). A hook on the window's
// own thread, called as each event is raised, tells which the system raised, and the window
// raises the rest, so that each is heard once.
void CALLBACK SeeEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                       DWORD) {
    if (window == g_view.window && object == OBJID_WINDOW && child == CHILDID_SELF) {
        g_view.seen |= 1u << (event - EVENT_OBJECT_CREATE);
    }
}

void WatchEvents(HMODULE module) {
    g_view.watch = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE, module, SeeEvent,
                                   GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_INCONTEXT);
}

// Raises the event for the window unless the system has raised it since `seen` was cleared.
void Announce(DWORD event) {
    if (!(g_view.seen & (1u << (event - EVENT_OBJECT_CREATE)))) {
        NotifyWinEvent(event, g_view.window, OBJID_WINDOW, CHILDID_SELF);
    }
}

bool SameText(const wchar_t* a, const wchar_t* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Takes g_view.fitted as what the window shows; false when it shows that already.
bool TakeFitted() {
    if (SameText(g_view.fitted, g_view.shown)) {
        return false;
    }
    int i = 0;
    int kept = 0;
    for (; g_view.fitted[i]; ++i) {
        g_view.shown[i] = g_view.fitted[i];
        if (!IsMark(g_view.fitted[i])) {
            g_view.plain[kept++] = g_view.fitted[i];
        }
    }
    g_view.shown[i] = 0;
    g_view.plain[kept] = 0;
    return true;
}

void HideView() {
    if (IsWindowVisible(g_view.window)) {
        g_view.seen = 0;
        ShowWindow(g_view.window, SW_HIDE);
        Announce(EVENT_OBJECT_HIDE);
    }
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
    // A screen reader hears the help as it appears, and again only when what shows changes
    // (the emphasis included): never for the same help shown again.
    bool appears = !IsWindowVisible(g_view.window);
    g_view.seen = 0;
    bool changed = TakeFitted();
    if (changed) {
        SetWindowTextW(g_view.window, g_view.plain); // what tools and screen readers read
    }
    SetWindowPos(g_view.window, HWND_TOPMOST, place.rect.left, place.rect.top,
                 place.rect.right - place.rect.left, place.rect.bottom - place.rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (appears) {
        Announce(EVENT_OBJECT_SHOW);
    } else if (changed) {
        Announce(EVENT_OBJECT_NAMECHANGE);
    }
    InvalidateRect(g_view.window, nullptr, TRUE);
    return true;
}

LRESULT CALLBACK HelpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // a click leaves the focus where the user types
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_GETOBJECT: {
        LRESULT answer = AnswerAccessibleObject(window, wParam, lParam, g_view.plain);
        return answer ? answer : DefWindowProcW(window, message, wParam, lParam);
    }
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
        int length = lstrlenW(g_view.shown);
        if (HasMarks(g_view.shown, length)) {
            SetMarkedText(dc, g_view.shown, length, r.right - r.left, POINT{r.left, r.top}, true);
        } else {
            DrawTextW(dc, g_view.shown, -1, &r, kTextFormat);
        }
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
                    HideView();
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
        WatchEvents(module);
        RunWindow();
        DestroyWindow(g_view.window);
        UnregisterClassW(kClassName, module);
        if (g_view.watch) {
            UnhookWinEvent(g_view.watch);
        }
    }
    EndAccessibleObjects();
    DeleteObject(g_view.font); // none (null) when none was made
    DeleteObject(g_view.bold);
    g_view.window = nullptr;
    g_view.font = nullptr;
    g_view.bold = nullptr;
    g_view.fontDpi = 0;
    g_view.watch = nullptr;
    g_view.shown[0] = 0;
    g_view.plain[0] = 0;
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
