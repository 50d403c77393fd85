// The window model behind the window services on Linux: windows with a class name, a text,
// children and a visible flag, held in a fixed table. A handle is the table index plus one.
#include "platform/platform.h"
#include "platform/units16.h"
#include "platform/utf8.h"
#include "platform/window_model.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kMaxWindows = 256;
constexpr size_t kClassCapacity = 256;

struct ModelWindow {
    bool used;
    bool visible;
    int parent; // index, or -1 for a top-level window
    char16_t className[kClassCapacity];
    char16_t* text; // malloc'd, may be null for empty
};

ModelWindow g_windows[kMaxWindows];
ConsoleWindowState g_console = kConsoleAbsent;
constexpr char16_t kClassicConsoleClass[] = u"ConsoleWindowClass";
char16_t g_consoleClass[kClassCapacity] = u"ConsoleWindowClass";
char16_t g_consoleTitle[kConsoleTitleUnits];
ConsoleTitleListener g_titleListener = nullptr;
void* g_foreground = nullptr;
MessageBoxHook g_messageBoxHook = nullptr;

int IndexOf(void* window) {
    intptr_t i = reinterpret_cast<intptr_t>(window) - 1;
    if (i < 0 || i >= kMaxWindows || !g_windows[i].used) {
        return -1;
    }
    return static_cast<int>(i);
}

void* HandleOf(int index) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(index) + 1);
}

// Depth first, in creation order, like Windows enumerates children.
bool EnumUnder(int parent, PlatformEnumProc proc, intptr_t param) {
    for (int i = 0; i < kMaxWindows; ++i) {
        if (g_windows[i].used && g_windows[i].parent == parent) {
            if (!proc(HandleOf(i), param) || !EnumUnder(i, proc, param)) {
                return false;
            }
        }
    }
    return true;
}
} // namespace

void* WindowModelCreate(void* parent, const char16_t* className, const char16_t* text,
                        bool visible) {
    int parentIndex = parent ? IndexOf(parent) : -1;
    if (parent && parentIndex < 0) {
        return nullptr;
    }
    for (int i = 0; i < kMaxWindows; ++i) {
        if (!g_windows[i].used) {
            ModelWindow& w = g_windows[i];
            w.used = true;
            w.visible = visible;
            w.parent = parentIndex;
            PlatformCopyUnits(w.className, className ? className : u"");
            w.text = nullptr;
            WindowModelSetText(HandleOf(i), text);
            return HandleOf(i);
        }
    }
    return nullptr;
}

void WindowModelDestroy(void* window) {
    int index = IndexOf(window);
    if (index < 0) {
        return;
    }
    for (int i = 0; i < kMaxWindows; ++i) {
        if (g_windows[i].used && g_windows[i].parent == index) {
            WindowModelDestroy(HandleOf(i));
        }
    }
    free(g_windows[index].text);
    g_windows[index] = ModelWindow{};
    if (g_foreground == window) {
        g_foreground = nullptr;
    }
}

bool WindowModelSetText(void* window, const char16_t* text) {
    int index = IndexOf(window);
    if (index < 0) {
        return false;
    }
    size_t length = PlatformUnitCount(text);
    char16_t* copy = static_cast<char16_t*>(malloc((length + 1) * sizeof(char16_t)));
    if (!copy) {
        return false;
    }
    PlatformCopyUnits(std::span<char16_t>(copy, length + 1), text);
    free(g_windows[index].text);
    g_windows[index].text = copy;
    return true;
}

void WindowModelSetForeground(void* window) {
    g_foreground = window;
}
void WindowModelSetConsole(ConsoleWindowState state) {
    g_console = state;
}
void WindowModelSetMessageBoxHook(MessageBoxHook hook) {
    g_messageBoxHook = hook;
}

void WindowModelSetConsoleClass(const char16_t* className) {
    PlatformCopyUnits(g_consoleClass, className ? className : kClassicConsoleClass);
}

bool PlatformConsoleWindowVisible() {
    return g_console == kConsoleVisible;
}

PlatformConsoleWindow PlatformConsoleWindowState(std::span<char16_t> className) {
    if (!className.empty()) {
        PlatformCopyUnits(className, g_console == kConsoleAbsent ? u"" : g_consoleClass);
    }
    return g_console;
}

void WindowModelSetConsoleTitleListener(ConsoleTitleListener listener) {
    g_titleListener = listener;
}

uint32_t PlatformGetConsoleTitle(std::span<char16_t> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (g_console == kConsoleAbsent) {
        return 0;
    }
    return static_cast<uint32_t>(PlatformCopyUnits(buffer, g_consoleTitle));
}

bool PlatformSetConsoleTitle(const char16_t* title) {
    if (!title || g_console == kConsoleAbsent) {
        return false;
    }
    PlatformCopyUnits(g_consoleTitle, title);
    if (g_titleListener) {
        g_titleListener(g_consoleTitle);
    }
    return true;
}

int PlatformEnumChildWindows(void* parent, PlatformEnumProc proc, intptr_t param) {
    int index = IndexOf(parent);
    if (index < 0 || !proc) {
        return 0;
    }
    EnumUnder(index, proc, param);
    return 1;
}

uint32_t PlatformGetWindowClass(void* window, std::span<char16_t> buffer) {
    int index = IndexOf(window);
    if (index < 0 || buffer.empty()) {
        return 0;
    }
    return static_cast<uint32_t>(PlatformCopyUnits(buffer, g_windows[index].className));
}

uint32_t PlatformGetWindowText(void* window, std::span<char16_t> buffer) {
    int index = IndexOf(window);
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (index < 0) {
        return 0;
    }
    return static_cast<uint32_t>(PlatformCopyUnits(buffer, g_windows[index].text));
}

void* PlatformForegroundWindow() {
    return g_foreground;
}

int PlatformMessageBox(void* /*owner*/, const char16_t* text, const char16_t* caption) {
    if (g_messageBoxHook) {
        g_messageBoxHook(text, caption);
        return 1;
    }
    char* t = Utf16ToUtf8Alloc(text);
    char* c = Utf16ToUtf8Alloc(caption);
    printf("[%s]\n%s\n", c ? c : "", t ? t : "");
    fflush(stdout);
    free(t);
    free(c);
    return 1; // IDOK
}
