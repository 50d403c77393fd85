// The hand-over between the key handler and the help window's thread.
#include "platform/help_window_mailbox.h"

#include "platform/units16.h"

#include <mutex>

namespace {

// The lock is held only to copy a request in or out, never while a window is drawn.
std::mutex g_lock;
bool g_waiting = false;
HelpWindowRequest g_request;

} // namespace

void PostHelpWindowRequest(HelpWindowOp op, HelpWindowAnchor anchor, const char16_t* text) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_waiting && g_request.op == HelpWindowOp::Quit) {
        return;
    }
    g_request.op = op;
    g_request.anchor = anchor;
    PlatformCopyUnits(g_request.text, text ? text : u"");
    g_waiting = true;
}

bool TakeHelpWindowRequest(HelpWindowRequest* request) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_waiting) {
        return false;
    }
    request->op = g_request.op;
    request->anchor = g_request.anchor;
    PlatformCopyUnits(request->text, g_request.text);
    g_waiting = false;
    return true;
}

void ClearHelpWindowRequests() {
    std::lock_guard<std::mutex> hold(g_lock);
    g_waiting = false;
}
