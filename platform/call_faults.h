// The file helpers of both flavours ask here whether a test has armed a failure for them.
#pragma once

#include "platform/test_hooks.h"

// Consumes a pending failure of this kind: true (with the last error set) when the call is to
// fail now. Used by the file helpers of both flavours.
bool PlatformCallFails(PlatformCallKind kind);
