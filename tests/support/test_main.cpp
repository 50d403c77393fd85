#include "platform/test_hooks.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    {
        // The first trace makes the lock of gtest's trace stack, a handle the process keeps
        // (on Windows): made here, before a test counts the process's handles.
        SCOPED_TRACE("start");
    }
    int result = RUN_ALL_TESTS();
#if defined(HB_TESTING)
    // A close in a test waits a bounded time, and a loaded machine can outlast it: no thread of
    // the help window may still run when the process ends (under Wine such an exit can hang).
    if (!PlatformEndHelpWindow(60000)) {
        fprintf(stderr, "The help window's thread did not end.\n");
        return 1;
    }
#endif
    return result;
}
