// Registry operations against the plain file operations they are made of.
// Run: bench_registry (Release build). The goals: listing within 2x of
// reading the file, append independent of the file's size (within 1.5x),
// delete within 3x of copying the file.
#include "registry/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace mrv;
using namespace mrv::registry;
namespace fs = std::filesystem;

EntryFields Fields(int number)
{
    EntryFields f;
    f.linkName = "MRV_Dat" + std::to_string(100000 + number).substr(1);
    f.title = "Song " + std::to_string(number);
    f.audio = DefaultAudioInfo();
    return f;
}

Bytes RegistryOf(int entries)
{
    Bytes records;
    for (int i = 0; i < entries; ++i) {
        const Bytes r = BuildRecord(Fields(i)).value();
        records.insert(records.end(), r.begin(), r.end());
    }
    Bytes file(8);
    const auto put = [&file](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, static_cast<std::uint32_t>(entries));
    put(4, static_cast<std::uint32_t>(records.size()));
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

void WriteBytes(const fs::path& p, const Bytes& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!out) std::abort();
}

// One scratch folder per run, with one registry file per size.
class Scratch {
public:
    Scratch() : m_dir(fs::temp_directory_path() / ("mrv-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_dir);
    }
    ~Scratch() { fs::remove_all(m_dir); }

    const fs::path& dir() const { return m_dir; }

    // A fresh copy of the n-entry registry at a fixed name; its bytes.
    const Bytes& Registry(const std::string& name, int entries)
    {
        auto it = m_contents.find(entries);
        if (it == m_contents.end()) it = m_contents.emplace(entries, RegistryOf(entries)).first;
        WriteBytes(m_dir / name, it->second);
        return it->second;
    }

private:
    fs::path m_dir;
    std::map<int, Bytes> m_contents;
};

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

void BM_PlainRead(benchmark::State& state)
{
    const fs::path file = TheScratch().dir() / "read.dat";
    const Bytes& bytes = TheScratch().Registry("read.dat", static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ReadWholeFile(file).value().size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_ReadList(benchmark::State& state)
{
    const fs::path file = TheScratch().dir() / "read.dat";
    const Bytes& bytes = TheScratch().Registry("read.dat", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto listing = ReadList(file);
        if (!listing || listing->damage) state.SkipWithError("listing failed");
        benchmark::DoNotOptimize(listing->entries.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// What the listing's result costs by itself: one title and one path string per
// row, as many rows as the file holds.
void BM_ListingShapeOnly(benchmark::State& state)
{
    const std::string title = "Song 12345";
    const std::string path = "ZQT/MORVANTA/MRV_Dat12345";
    for (auto _ : state) {
        std::vector<Entry> entries;
        entries.reserve(static_cast<std::size_t>(state.range(0)));
        for (std::int64_t i = 0; i < state.range(0); ++i) entries.push_back(Entry{title, path, i});
        benchmark::DoNotOptimize(entries.data());
    }
}

// Each append is undone by putting the old header back (outside the timing),
// so every iteration appends to a file of the same size.
void BM_AppendNoBackup(benchmark::State& state)
{
    const fs::path file = TheScratch().dir() / "append.dat";
    const Bytes& bytes = TheScratch().Registry("append.dat", static_cast<int>(state.range(0)));
    const EntryFields f = Fields(99999);
    for (auto _ : state) {
        if (!Append(file, f, std::nullopt)) state.SkipWithError("append failed");
        state.PauseTiming();
        std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
        out.write(reinterpret_cast<const char*>(bytes.data()), 8);
        out.close();
        state.ResumeTiming();
    }
}

// Deletes the middle row (backup included, as every delete makes one), then
// restores the file outside the timing.
void BM_DeleteMiddle(benchmark::State& state)
{
    const fs::path file = TheScratch().dir() / "delete.dat";
    const int entries = static_cast<int>(state.range(0));
    const Bytes bytes = TheScratch().Registry("delete.dat", entries);
    int second = 0;
    for (auto _ : state) {
        const auto r = Delete(file, entries / 2, LocalTime{2005, 1, 1, 0, 0, second++});
        if (!r) {
            state.SkipWithError("delete failed");
            break;
        }
        state.PauseTiming();
        fs::remove(*r->backup);
        WriteBytes(file, bytes);
        state.ResumeTiming();
    }
}

// What a delete is made of at the least: read the file, write it whole-or-nothing.
void BM_PlainCopy(benchmark::State& state)
{
    const fs::path file = TheScratch().dir() / "copy.dat";
    const fs::path copy = TheScratch().dir() / "copy.dat.out";
    TheScratch().Registry("copy.dat", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto bytes = ReadWholeFile(file);
        if (!bytes || !WriteFileWhole(copy, *bytes)) state.SkipWithError("copy failed");
    }
}

BENCHMARK(BM_PlainRead)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadList)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListingShapeOnly)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendNoBackup)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_DeleteMiddle)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainCopy)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
