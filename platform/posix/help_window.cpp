// Linux: the help window of the window model, run by a thread as on Windows, so that the
// hand-over between the key handler and that thread is the same code in both flavours. The
// window is a record that the reference shell draws and the tests read.
#include "platform/help_window_layout.h"
#include "platform/help_window_mailbox.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/units16.h"
#include "platform/window_model.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

// The window as its thread left it, and the count of requests handed over and carried out.
struct ModelHelpWindow {
    bool shown;
    char16_t text[kHelpWindowTextUnits];
    uint64_t posted;  // requests handed to the thread
    uint64_t applied; // requests the thread has carried out
    bool running;     // the thread runs
};

std::mutex g_lock;
std::condition_variable g_changed;
ModelHelpWindow g_window;
std::thread* g_thread = nullptr; // on the heap: a thread still running at exit is no fault
std::atomic<uint32_t> g_error{0};
#if defined(HB_TESTING)
uint32_t g_failNextStart = 0; // the tests' seam
#endif
int32_t g_terminalRows = 0; // the host's terminal, on the host's thread; 0 by 0: none
int32_t g_terminalColumns = 0;

// The thread's own copy of a request; only it uses the buffer.
HelpWindowRequest g_request;

void Run() {
    uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(g_lock);
            g_changed.wait(hold, [&] { return g_window.posted != seen; });
            seen = g_window.posted;
        }
        bool quit = false;
        while (TakeHelpWindowRequest(&g_request)) {
            std::lock_guard<std::mutex> hold(g_lock);
            if (g_request.op == HelpWindowOp::Show) {
                g_window.shown = true;
                PlatformCopyUnits(g_window.text, g_request.text);
            } else {
                g_window.shown = false;
            }
            quit = quit || g_request.op == HelpWindowOp::Quit;
        }
        std::lock_guard<std::mutex> hold(g_lock);
        g_window.applied = seen;
        if (quit) {
            g_window.running = false;
            g_window.shown = false;
            g_changed.notify_all();
            return;
        }
        g_changed.notify_all();
    }
}

bool StartThread() {
    if (g_thread) {
        if (WindowModelHelpWindowRunning()) {
            return true; // a quitting thread takes no more requests, and none replaces its quit
        }
        g_thread->join(); // ended after a close that did not wait it out
        delete g_thread;
        g_thread = nullptr;
    }
#if defined(HB_TESTING)
    uint32_t failure = g_failNextStart;
    g_failNextStart = 0;
    if (failure) {
        g_error = failure;
        return false;
    }
#endif
    ClearHelpWindowRequests();
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_window.running = true;
        g_window.posted = g_window.applied = 0;
    }
    g_thread = new (std::nothrow) std::thread(Run);
    if (!g_thread) {
        std::lock_guard<std::mutex> hold(g_lock);
        g_window.running = false;
        g_error = kErrorNotEnoughMemory;
        return false;
    }
    g_error = 0;
    return true;
}

void Post(HelpWindowOp op, HelpWindowAnchor anchor, const char16_t* text) {
    PostHelpWindowRequest(op, anchor, text);
    std::lock_guard<std::mutex> hold(g_lock);
    ++g_window.posted;
    g_changed.notify_all();
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
    bool ended = false;
    {
        std::unique_lock<std::mutex> hold(g_lock);
        ended = g_changed.wait_for(hold, std::chrono::seconds(5), [] { return !g_window.running; });
    }
    if (!ended) {
        // Still ending. It is kept, so that no second thread shares the mailbox with it; the
        // next help joins it once it has ended.
        return;
    }
    g_thread->join();
    delete g_thread;
    g_thread = nullptr;
}

uint32_t PlatformHelpWindowError() {
    return g_error;
}

bool PlatformHelpWindowHasRoom() {
    if (g_terminalRows == 0 && g_terminalColumns == 0) {
        return true;
    }
    return HelpBoxInTerminal(g_terminalRows, g_terminalColumns).rows > 0;
}

void WindowModelSetTerminalSize(int32_t rows, int32_t columns) {
    g_terminalRows = rows;
    g_terminalColumns = columns;
}

bool WindowModelHelpWindow(std::span<char16_t> text) {
    std::lock_guard<std::mutex> hold(g_lock);
    PlatformCopyUnits(text, g_window.shown ? g_window.text : u"");
    return g_window.shown;
}

bool WindowModelWaitHelpWindow(int milliseconds) {
    std::unique_lock<std::mutex> hold(g_lock);
    return g_changed.wait_for(hold, std::chrono::milliseconds(milliseconds), [] {
        return !g_window.running || g_window.applied == g_window.posted;
    });
}

bool WindowModelHelpWindowRunning() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_window.running;
}

#if defined(HB_TESTING)
bool PlatformEndHelpWindow(int milliseconds) {
    // Each close waits up to five seconds and keeps a thread that is still ending.
    for (int waited = 0; g_thread && waited < milliseconds; waited += 5000) {
        PlatformCloseHelpWindow();
    }
    return !g_thread;
}

void WindowModelFailHelpWindow(uint32_t error) {
    g_failNextStart = error;
}
#endif
