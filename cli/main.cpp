// mrvtool's entry point: the process's streams, terminal and clock for Run().
#include "cli/Cli.h"

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int RunGuarded(const std::vector<std::string>& args, mrv::cli::Console& console)
{
    // Nothing may end the program with an uncaught exception: a file being
    // changed is written whole or not at all, so a refusal is all it takes.
    try {
        return mrv::cli::Run(args, console);
    } catch (const std::bad_alloc&) {
        std::cerr << "mrvtool: 메모리가 모자랍니다.\n";
    } catch (const std::exception& e) {
        std::cerr << "mrvtool: 뜻밖의 오류입니다: " << e.what() << "\n";
    }
    return console.changedFile ? mrv::cli::kExitNotConfirmed : mrv::cli::kExitFailed;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    mrv::cli::Console console{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, mrv::LocalNow};
    const int status = RunGuarded(args, console);
    // Output that did not reach its reader (disk full, closed pipe) is no
    // success; after a change it must not read as "the file is unchanged".
    if (!std::cout.flush()) {
        std::cerr << "mrvtool: 출력을 쓸 수 없습니다.\n";
        if (status != mrv::cli::kExitOk) return status;
        return console.changedFile ? mrv::cli::kExitNotConfirmed : mrv::cli::kExitFailed;
    }
    return status;
}
