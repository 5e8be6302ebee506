// mrvtool's entry point: the process's streams, terminal and clock for Run().
#include "cli/Cli.h"
#include "core/Console.h"
#include "core/LocalClock.h"
#if defined(_WIN32)
#include "core/windows/Wide.h"
#endif

#include <exception>
#include <iostream>
#include <new>
#include <string>
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

int RunTool(const std::vector<std::string>& args)
{
    mrv::os::UseUtf8Streams();
    mrv::cli::Console console{std::cin, std::cout, std::cerr, mrv::os::StdinIsTerminal(), mrv::LocalNow};
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

} // namespace

#if defined(_WIN32)
// The wide-character entry point: main's narrow arguments would arrive in the
// ANSI code page, and a Korean title would be stored as question marks.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(mrv::os::Utf8FromWide(argv[i]));
    return RunTool(args);
}
#else
int main(int argc, char** argv) { return RunTool(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
