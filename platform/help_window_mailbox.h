// What the key handler hands the help window's thread: the newest request alone, since a
// window that is behind needs to show only the latest help. Both flavours share it; each wakes
// its thread in its own way.
#pragma once

#include "platform/platform.h"

#include <cstdint>

enum class HelpWindowOp { Show, Hide, Quit };

// The longest help text the window shows, terminator included.
constexpr uint32_t kHelpWindowTextUnits = 8192;

struct HelpWindowRequest {
    HelpWindowOp op;
    HelpWindowAnchor anchor;
    char16_t text[kHelpWindowTextUnits];
};

// The key handler's side: replaces a request not yet taken, but never a quit. Copies the
// text (cut to fit) and returns at once.
void PostHelpWindowRequest(HelpWindowOp op, HelpWindowAnchor anchor, const char16_t* text);
// The window thread's side: the newest request, once; false when none waits.
bool TakeHelpWindowRequest(HelpWindowRequest* request);
// A new thread starts with an empty mailbox.
void ClearHelpWindowRequests();
