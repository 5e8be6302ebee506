// Many songs in one action against what it cannot avoid: 500 songs of 4 MiB
// into a registry of 10,000 entries, compared with writing the same 500 music
// files and 500 link files alone and with one append of their 500 entries
// alone. The import reads and
// writes the registry once, not once per song, so it should cost no more than
// the two together.
#include "BenchFiles.h"

#include "cache/SavedFiles.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "registry/RegistryFile.h"
#include "songs/Import.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace mrv;

constexpr int kSongs = 500;
constexpr std::size_t kSongBytes = std::size_t{4} << 20;
constexpr int kListed = 10000;

// The songs, written once per run.
const fs::path& Songs()
{
    static const fs::path folder = [] {
        const fs::path f = bench::TheScratch().Dir() / "songs";
        fs::create_directories(f);
        Bytes bytes(kSongBytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131);
        for (int i = 0; i < kSongs; ++i) bench::WriteFlushed(f / ("song " + std::to_string(i) + ".zqm"), bytes);
        return f;
    }();
    return folder;
}

// A fresh save folder and a fresh copy of the registry for one round.
struct Round {
    fs::path save;
    fs::path registry;
};
Round Fresh(int n)
{
    const fs::path base = bench::TheScratch().Dir() / ("round" + std::to_string(n));
    fs::remove_all(base);
    fs::create_directories(base / "save");
    const fs::path registry = base / "modreg.dat";
    fs::copy_file(bench::TheScratch().WriteRegistry("listed.dat", kListed), registry);
    return {base / "save", registry};
}

songs::ImportSettings Settings(const Round& r)
{
    songs::ImportSettings s;
    s.registry = r.registry;
    s.saveFolder = r.save;
    s.audio = registry::DefaultAudioInfo();
    s.firstNumber = 20000;   // past the listed entries' numbers
    return s;
}

template <class Work>
void Timed(benchmark::State& state, Work&& work)
{
    int round = 0;
    for (auto _ : state) {
        const Round r = Fresh(round++);
        (void)Songs();   // written once, before any clock runs
        const auto start = std::chrono::steady_clock::now();
        work(r);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_Import500Songs(benchmark::State& state)
{
    Timed(state, [&state](const Round& r) {
        auto plan = songs::PlanImport(Songs(), Settings(r));
        if (!plan || plan->Added() != kSongs) return state.SkipWithError("the plan does not take every song");
        if (!songs::RunImport(*plan, std::nullopt)) state.SkipWithError("the import failed");
    });
}

// What the import writes besides the registry, each file by the one-song
// path's own routines: the music file copied, the link file written.
void BM_Files500Alone(benchmark::State& state)
{
    Timed(state, [&state](const Round& r) {
        for (int i = 0; i < kSongs; ++i) {
            const fs::path from = Songs() / ("song " + std::to_string(i) + ".zqm");
            if (!cache::CopyToNew(from, r.save / (std::to_string(20000 + i) + ".zqm"))) return state.SkipWithError("a copy failed");
            if (!link::WriteNewLinkFile(r.save, LinkKind::Mrv, "song", 0, 20000 + i)) return state.SkipWithError("a link file failed");
        }
    });
}

void BM_OneAppendOf500Entries(benchmark::State& state)
{
    Timed(state, [&state](const Round& r) {
        std::vector<registry::EntryFields> entries(kSongs);
        for (int i = 0; i < kSongs; ++i) {
            entries[i].linkName = "MRV_Dat" + std::to_string(20000 + i);
            entries[i].title = "song " + std::to_string(i);
            entries[i].audio = registry::DefaultAudioInfo();
        }
        if (!registry::AppendEntries(r.registry, entries, std::nullopt)) state.SkipWithError("the append failed");
    });
}

BENCHMARK(BM_Files500Alone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OneAppendOf500Entries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Import500Songs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
