// Other processes for the tests: the real mrvtool, and the test program
// itself started again to run one routine in a child process (a second
// writer, or a writer that dies at a chosen point as a killed program would).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mrv::test {

namespace fs = std::filesystem;

struct Command {
    fs::path program;
    std::vector<std::string> args;   // UTF-8
    fs::path workDir;                // empty: this process's
    std::string input;               // the bytes of standard input, a file, never a terminal
    bool outputFails = false;        // standard output refuses every write (a full disk)
};

struct Finished {
    int status = -1;   // the exit status; -1 when the process did not end by exiting
    std::string out;   // what it wrote to standard output and standard error
    std::string err;
};

// A process started and not yet waited for.
class Started {
public:
    explicit Started(const Command& command);
    Started(Started&& other) noexcept;
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    Started& operator=(Started&&) = delete;
    ~Started();   // waits, if nobody did

    Finished Wait();

private:
    // Reads what the process wrote into f, then removes its folder.
    void TakeStreams(Finished& f);

    fs::path m_files;        // a folder of its own for the three streams
    long long m_id = -1;     // process id or handle; -1 once waited for
};

Finished RunProcess(const Command& command);

// ---- child routines ------------------------------------------------------------
using ChildRoutine = int (*)(const std::vector<std::string>& args);

// Registers a routine under a name, at static initialisation:
//   const bool kRegistered = RegisterChildRoutine("name", &Routine);
bool RegisterChildRoutine(const char* name, ChildRoutine routine);

// Runs the routine in a child process: the test program started again.
Started StartChild(const std::string& name, const std::vector<std::string>& args);
int RunChild(const std::string& name, const std::vector<std::string>& args);

// For main(): the status of the routine that the command line asks for, or
// nullopt when the program runs as a test program.
std::optional<int> RunChildRoutineIfAsked(const std::vector<std::string>& args);

// This test program.
fs::path TestProgram();

// The streams' folder of a new process (shared by both systems' Started).
fs::path NewStreamFolder();

} // namespace mrv::test
