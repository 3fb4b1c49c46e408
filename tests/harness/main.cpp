// The entry point of every test program: a child scenario when asked for one, else GoogleTest.
#include "harness.h"
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    int nExit = 0;
    if (harness::RunChildFromCommandLine(argc, argv, &nExit))
        return nExit;
    // The first window of a process waits for Wine's desktop; let that happen before any test
    // that measures or waits on a window.
    DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
