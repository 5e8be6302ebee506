// What both systems share: the routines, the folder of the streams.
#include "tests/support/Process.h"

#include "core/FileSystem.h"

#include <fstream>
#include <iterator>
#include <map>
#include <utility>

namespace mrv::test {
namespace {

constexpr const char* kChildOption = "--mrv-child";

std::map<std::string, ChildRoutine>& Routines()
{
    static std::map<std::string, ChildRoutine> routines;
    return routines;
}

} // namespace

bool RegisterChildRoutine(const char* name, ChildRoutine routine)
{
    Routines()[name] = routine;
    return true;
}

Started StartChild(const std::string& name, const std::vector<std::string>& args)
{
    Command c;
    c.program = TestProgram();
    c.args = {kChildOption, name};
    c.args.insert(c.args.end(), args.begin(), args.end());
    return Started(c);
}

int RunChild(const std::string& name, const std::vector<std::string>& args) { return StartChild(name, args).Wait().status; }

std::optional<int> RunChildRoutineIfAsked(const std::vector<std::string>& args)
{
    if (args.size() < 3 || args[1] != kChildOption) return std::nullopt;
    const auto it = Routines().find(args[2]);
    if (it == Routines().end()) return 125;
    return it->second(std::vector<std::string>(args.begin() + 3, args.end()));
}

Started::Started(Started&& other) noexcept : m_files(std::move(other.m_files)), m_id(std::exchange(other.m_id, -1))
{
    other.m_files.clear();
}

Started::~Started()
{
    if (!m_files.empty()) (void)Wait();
}

Finished RunProcess(const Command& command) { return Started(command).Wait(); }

fs::path NewStreamFolder()
{
    const fs::path folder = fs::temp_directory_path() / ("mrv-process-" + os::RandomName(10));
    fs::create_directories(folder);
    return folder;
}

void Started::TakeStreams(Finished& f)
{
    const auto read = [this](const char* name) {
        std::ifstream in(m_files / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    f.out = read("out");
    f.err = read("err");
    std::error_code ignored;
    fs::remove_all(m_files, ignored);
    m_files.clear();
}

} // namespace mrv::test
