#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    {
        // The first trace makes the lock of gtest's trace stack, a handle the process keeps
        // (on Windows): made here, before a test counts the process's handles.
        SCOPED_TRACE("start");
    }
    return RUN_ALL_TESTS();
}
