// The main of the test programs that start children of their own: a command
// line that names a child routine runs it; any other runs the tests.
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include "core/windows/Wide.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(mrv::os::Utf8FromWide(argv[i]));
    if (const auto status = mrv::test::RunChildRoutineIfAsked(args)) return *status;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
#else
int main(int argc, char** argv)
{
    if (const auto status = mrv::test::RunChildRoutineIfAsked(std::vector<std::string>(argv, argv + argc))) return *status;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
#endif
