// The main of the test programs that drive the real toolkit: Qt headless
// unless the caller chose a platform, the toolkit up for the whole run.
#include "platform/Testing.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Qt's headless platform, unless the caller chose another.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    mrv::platform::testing::ToolkitScope toolkit(argc, argv);
    return RUN_ALL_TESTS();
}
