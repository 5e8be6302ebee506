#include "tests/support/Process.h"

#include <fcntl.h>
#include <fstream>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>

namespace mrv::test {

Started::Started(const Command& command) : m_files(NewStreamFolder())
{
    std::ofstream(m_files / "in", std::ios::binary) << command.input;
    const std::string in = m_files / "in", out = m_files / "out", err = m_files / "err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!command.workDir.empty() && ::chdir(command.workDir.c_str()) != 0) ::_exit(127);
        ::dup2(::open(in.c_str(), O_RDONLY), 0);
        ::dup2(command.outputFails ? ::open("/dev/full", O_WRONLY) : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<std::string> args{command.program.string()};
        args.insert(args.end(), command.args.begin(), command.args.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(command.program.c_str(), argv.data());
        ::_exit(127);
    }
    m_id = pid;
}

Finished Started::Wait()
{
    Finished f;
    if (m_files.empty()) return f;
    int status = 0;
    if (m_id > 0 && ::waitpid(static_cast<pid_t>(m_id), &status, 0) > 0 && WIFEXITED(status)) f.status = WEXITSTATUS(status);
    m_id = -1;
    TakeStreams(f);
    return f;
}

fs::path TestProgram() { return fs::read_symlink("/proc/self/exe"); }

} // namespace mrv::test
