#include "host/shell/line_editor.h"

#include "base/text16.h"
#include "host/shell/help_box.h"
#include "host/shell/status_line.h"
#include "platform/utf8.h"

#include <readline/history.h>
#include <readline/readline.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kBackspace = 8;

const PluginModule* g_module = nullptr;
LineAbandonedHook g_abandoned = nullptr;
KeyHandledHook g_keyHook = nullptr;
volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_terminated = 0;
// The line and cursor as the plug-in knows them: told with the last key it was handed, or
// worked out from that key (a character in, one out before the cursor).
std::string g_toldLine;
int g_toldPoint = 0;

// Hands the key to the plug-in with the line and cursor as they stand before it goes in.
void RouteToPlugin(int key) {
    if (!g_module || g_module->keyHandlerCount == 0) {
        return;
    }
    char* before = static_cast<char*>(malloc(static_cast<size_t>(rl_point) + 1));
    if (!before) {
        return;
    }
    memcpy(before, rl_line_buffer, static_cast<size_t>(rl_point));
    before[rl_point] = 0;
    char16_t* line = Utf8ToUtf16Alloc(rl_line_buffer);
    char16_t* head = Utf8ToUtf16Alloc(before);
    if (line && head) {
        size_t lineUnits = Str16Len(line);
        size_t headUnits = Str16Len(head);
        SendPluginKey(g_module, key, line, line + (headUnits < lineUnits ? headUnits : lineUnits));
        if (g_keyHook) {
            g_keyHook();
        }
    }
    free(head);
    free(line);
    free(before);
}

bool KeysWanted() {
    return g_module && g_module->keyHandlerCount > 0;
}

void Remember() {
    g_toldLine.assign(rl_line_buffer, static_cast<size_t>(rl_end));
    g_toldPoint = rl_point;
}

void Forget() {
    g_toldLine.clear();
    g_toldPoint = 0;
}

int InsertPrintable(int count, int key) {
    for (int i = 0; i < (count > 0 ? count : 1); ++i) {
        RouteToPlugin(key);
        rl_insert(1, key);
    }
    Remember();
    return 0;
}

// Backspace goes to the plug-in with the line before the character goes out, as a typed
// character does. At the line's start it deletes nothing, and nothing is told. Readline may
// take a combining mark out with its base: then the line is told again after it, as key 0.
int Rubout(int count, int key) {
    if (count <= 0 || rl_point == 0) {
        return rl_rubout(count, key); // a negative count deletes forward: told as any edit
    }
    bool oneOut = true;
    for (int i = 0; i < count && rl_point > 0; ++i) {
        int start = rl_point - 1;
        while (start > 0 && (rl_line_buffer[start] & 0xC0) == 0x80) {
            --start;
        }
        int end = rl_end - (rl_point - start);
        RouteToPlugin(kBackspace);
        rl_rubout(1, key);
        oneOut = rl_point == start && rl_end == end;
    }
    if (oneOut) {
        Remember();
    }
    return 0;
}

// Readline draws the line after every command. Any other change of the line or of the cursor
// (arrows, Home, End, Delete, kills, yanks, history, completion) is told here as key 0 with
// the line as it now stands.
void Redisplay() {
    if (KeysWanted() &&
        (rl_point != g_toldPoint || g_toldLine.compare(0, std::string::npos, rl_line_buffer,
                                                       static_cast<size_t>(rl_end)) != 0)) {
        RouteToPlugin(0);
        Remember();
    }
    rl_redisplay();
}

// A character beyond ASCII comes as UTF-8 bytes. Its lead byte is bound here; the rest are
// read at once, so that the plug-in sees the whole character, as one key, before it goes in.
int InsertMultibyte(int count, int lead) {
    char bytes[5] = {static_cast<char>(lead)};
    int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    int n = 1;
    for (; n < length; ++n) {
        int next = rl_read_key();
        if ((next & 0xC0) != 0x80) {
            rl_execute_next(next); // not part of this character: it is the next key
            break;
        }
        bytes[n] = static_cast<char>(next);
    }
    bytes[n] = 0;
    char16_t units[3];
    size_t unitCount = Utf8ToUtf16(bytes, units);
    int key = units[0];
    if (unitCount == 2) {
        key = 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
    }
    for (int i = 0; i < (count > 0 ? count : 1); ++i) {
        if (n == length) {
            RouteToPlugin(key);
        }
        rl_insert_text(bytes);
    }
    if (n == length) {
        Remember(); // a broken sequence is told after it, as key 0
    }
    return 0;
}

int ClearScreen(int count, int key) {
    int result = rl_clear_screen(count, key);
    StatusLineRefresh();
    HelpBoxRefresh(true);
    return result;
}

void OnSignal(int signal) {
    if (signal == SIGINT) {
        g_interrupted = 1;
    } else {
        g_terminated = 1;
    }
}

// Runs while readline waits for a key and a signal came: a resize, or Ctrl-C.
int OnSignalEvent() {
    bool resized = StatusLineRefresh();
    if (HelpBoxRefresh(false)) {
        resized = true;
    }
    if (resized) {
        // Rows of the line below the cursor may have been cleared: draw it all again.
        rl_clear_visible_line();
        rl_forced_update_display();
    }
    if (g_interrupted) {
        g_interrupted = 0;
        rl_replace_line("", 0);
        Forget();
        rl_crlf();
        if (g_abandoned) {
            g_abandoned();
        }
        rl_on_new_line();
        rl_redisplay();
    }
    return 0;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace

void LineEditorStart(const PluginModule* module) {
    g_module = module;
    InstallSignalHandlers();
    rl_readline_name = "hintbar-shell";
    rl_signal_event_hook = OnSignalEvent;
    rl_redisplay_function = Redisplay;
    rl_initialize();
    for (int key = 0x20; key < 0x7F; ++key) {
        rl_bind_key(key, InsertPrintable);
    }
    if (MB_CUR_MAX > 1) { // a UTF-8 locale: readline takes bytes above 0x7F as text
        for (int lead = 0xC2; lead <= 0xF4; ++lead) {
            rl_bind_key(lead, InsertMultibyte);
        }
    }
    rl_bind_key('L' & 0x1F, ClearScreen);
    // Readline would bind the terminal's erase character to its own rubout at every line.
    rl_variable_bind("bind-tty-special-chars", "off");
    rl_bind_key(0x7F, Rubout);
    rl_bind_key(kBackspace, Rubout);
    using_history();
}

void LineEditorSetKeyHook(KeyHandledHook hook) {
    g_keyHook = hook;
}

void LineEditorSetAbandonedHook(LineAbandonedHook hook) {
    g_abandoned = hook;
}

char* LineEditorRead(const char* prompt) {
    if (g_terminated) {
        return nullptr;
    }
    Forget(); // the new line begins empty
    char* line = readline(prompt);
    if (g_terminated) {
        free(line);
        return nullptr;
    }
    if (line && *line) {
        add_history(line);
    }
    return line;
}

void LineEditorStop() {
    clear_history();
    g_module = nullptr;
}

bool LineEditorTerminated() {
    return g_terminated != 0;
}
