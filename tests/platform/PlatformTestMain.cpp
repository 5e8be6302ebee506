#include "platform/Testing.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    mrv::platform::testing::ToolkitScope toolkit(argc, argv);
    return RUN_ALL_TESTS();
}
