// mrvtool's entry point: the process's streams, terminal and clock for Run().
#include "cli/Cli.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    mrv::cli::Console console{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, mrv::cli::LocalNow};
    const int status = mrv::cli::Run(args, console);
    // A listing that did not reach its reader (disk full, closed pipe) is no success.
    if (!std::cout.flush()) {
        std::cerr << "mrvtool: 출력을 쓸 수 없습니다.\n";
        return status == mrv::cli::kExitOk ? mrv::cli::kExitFailed : status;
    }
    return status;
}
