// mrvtool as a user runs it, whole processes against the plain file tools
// in the same run: list against cat, add against cat (reading the file once),
// delete against cp. Each reports its peak memory (peak_rss_MiB).
//
// Targets: list at most 4x cat, peak memory at most the file's size + 16 MiB;
// add --no-backup at most 1.5x reading the file once, delete at most 2.5x cp,
// each in at most 32 MiB.
#include "bench/BenchFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace mrv;
using namespace mrv::bench;
namespace fs = std::filesystem;

struct Outcome {
    double seconds = 0;
    double peakMiB = 0;
    int status = -1;
};

// Runs a program with its output thrown away; the time from start to end and
// the process's peak memory.
Outcome RunProcess(std::vector<std::string> argv)
{
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Outcome o;
    if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) return o;
    ::posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

std::string Entries(benchmark::State& state) { return std::to_string(state.range(0)); }

void Report(benchmark::State& state, const Outcome& o, double& peak)
{
    if (o.status != 0) state.SkipWithError("the program failed");
    state.SetIterationTime(o.seconds);
    peak = std::max(peak, o.peakMiB);
}

void Finish(benchmark::State& state, double peak, const fs::path& file)
{
    state.counters["peak_rss_MiB"] = peak;
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
}

void BM_Cat(benchmark::State& state)
{
    const fs::path file = TheScratch().WriteRegistry("list-" + Entries(state) + ".dat", static_cast<int>(state.range(0)));
    double peak = 0;
    for (auto _ : state) Report(state, RunProcess({"/bin/cat", file.string()}), peak);
    Finish(state, peak, file);
}

void BM_MrvtoolList(benchmark::State& state)
{
    const fs::path file = TheScratch().WriteRegistry("list-" + Entries(state) + ".dat", static_cast<int>(state.range(0)));
    double peak = 0;
    for (auto _ : state) Report(state, RunProcess({MRVTOOL_PATH, "list", file.string()}), peak);
    Finish(state, peak, file);
}

// Each append is undone outside the timing (the old header and length put
// back and flushed), so every run appends to the same file.
void BM_MrvtoolAddNoBackup(benchmark::State& state)
{
    const fs::path file = TheScratch().WriteRegistry("add-" + Entries(state) + ".dat", static_cast<int>(state.range(0)));
    Bytes header(8);
    const std::uint64_t size = fs::file_size(file);
    if (auto reg = os::File::Open(file, os::File::Access::Read); !reg || !reg->ReadAt(0, header)) state.SkipWithError("cannot read");
    double peak = 0;
    for (auto _ : state) {
        Report(state, RunProcess({MRVTOOL_PATH, "add", file.string(), "--no-backup", "--kind", "mod", "--number", "7", "--title", "x"}),
               peak);
        state.PauseTiming();
        auto reg = os::File::Open(file, os::File::Access::ReadWrite);
        if (!reg || !reg->WriteAt(0, header) || !reg->Truncate(size) || !reg->Sync())
            state.SkipWithError("cannot put the registry back");
        state.ResumeTiming();
    }
    Finish(state, peak, file);
}

// The middle entry, backup included (every deletion makes one); the file is
// written again outside the timing.
void BM_MrvtoolDeleteMiddle(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const fs::path file = TheScratch().WriteRegistry("delete-" + Entries(state) + ".dat", entries);
    double peak = 0;
    for (auto _ : state) {
        Report(state, RunProcess({MRVTOOL_PATH, "delete", file.string(), std::to_string(entries / 2), "--yes"}), peak);
        state.PauseTiming();
        for (const auto& e : fs::directory_iterator(TheScratch().Dir()))
            if (e.path().filename().string().starts_with(file.filename().string() + "_")) fs::remove(e.path());
        TheScratch().WriteRegistry(file.filename().string(), entries);
        state.ResumeTiming();
    }
    Finish(state, peak, file);
}

void BM_Cp(benchmark::State& state)
{
    const fs::path file = TheScratch().WriteRegistry("cp-" + Entries(state) + ".dat", static_cast<int>(state.range(0)));
    const fs::path copy = TheScratch().Dir() / "cp-copy.dat";
    double peak = 0;
    for (auto _ : state) {
        Report(state, RunProcess({"/bin/cp", file.string(), copy.string()}), peak);
        state.PauseTiming();
        fs::remove(copy);
        ::sync();
        state.ResumeTiming();
    }
    Finish(state, peak, file);
}

BENCHMARK(BM_Cat)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MrvtoolList)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MrvtoolAddNoBackup)->Arg(100)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MrvtoolDeleteMiddle)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_Cp)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

BENCHMARK_MAIN();
