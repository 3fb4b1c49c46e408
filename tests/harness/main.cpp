// The entry point of every test program: a child scenario when asked for one, else GoogleTest.
#include "harness.h"
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    int nExit = 0;
    if (harness::RunChildFromCommandLine(argc, argv, &nExit))
        return nExit;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
