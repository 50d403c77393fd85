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

namespace {

const PluginModule* g_module = nullptr;
LineAbandonedHook g_abandoned = nullptr;
KeyHandledHook g_keyHook = nullptr;
volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_terminated = 0;

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

int InsertPrintable(int count, int key) {
    for (int i = 0; i < (count > 0 ? count : 1); ++i) {
        RouteToPlugin(key);
        rl_insert(1, key);
    }
    return 0;
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
