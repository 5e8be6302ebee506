// One tick of the search window's scan over the user's temporary folder as it
// is found in practice: 10,000 other files and 256 .zqm files. A tick over a
// folder that has not changed reads nothing; a tick after a change reads the
// folder and brings the rows into line. idle_core_percent: what the two
// timers cost one core while nothing changes (target: under 0.2 %).
#include "cache/CacheScan.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mrv::cache::FolderMemo;
using mrv::cache::FolderScanner;

constexpr int kOtherFiles = 10000;
constexpr int kZqmFiles = 256;
// Two timers, a tick each every 400 ms.
constexpr double kTicksPerSecond = 2 * 1000.0 / 400.0;

class Rows : public mrv::cache::RowList {
public:
    int RowCount() const override { return static_cast<int>(m_names.size()); }
    const std::string& RowName(int row) const override { return m_names[static_cast<std::size_t>(row)]; }
    void DeleteRow(int row) override
    {
        m_names.erase(m_names.begin() + row);
        ++m_revision;
    }
    void AppendRow(const std::string& name, const std::string&) override
    {
        m_names.push_back(name);
        ++m_revision;
    }
    std::uint64_t Revision() const override { return m_revision; }

private:
    std::vector<std::string> m_names;
    std::uint64_t m_revision = 0;
};

const fs::path& Folder()
{
    static const fs::path folder = [] {
        const fs::path f = fs::temp_directory_path() / ("mrv-bench-scan-" + std::to_string(::getpid()));
        fs::create_directories(f);
        for (int i = 0; i < kOtherFiles; ++i) std::ofstream(f / ("cache" + std::to_string(i) + ".tmp")) << "x";
        for (int i = 0; i < kZqmFiles; ++i) std::ofstream(f / (std::to_string(i) + ".zqm")) << std::string(1000, 'z');
        return f;
    }();
    return folder;
}

struct Cleanup {
    ~Cleanup()
    {
        std::error_code ignored;
        fs::remove_all(fs::temp_directory_path() / ("mrv-bench-scan-" + std::to_string(::getpid())), ignored);
    }
} cleanup;

// The folder as it stands long after its last change.
void Settle() { fs::last_write_time(Folder(), fs::file_time_type::clock::now() - std::chrono::seconds(60)); }

void BM_ScanTickUnchanged(benchmark::State& state)
{
    FolderScanner scanner;
    FolderMemo memo;
    Rows rows;
    Settle();
    scanner.Synchronise(Folder(), rows, &memo);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) scanner.Synchronise(Folder(), rows, &memo);
    const double perTick = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                           static_cast<double>(state.iterations());
    if (rows.RowCount() != kZqmFiles) state.SkipWithError("rows do not match the folder");
    state.counters["idle_core_percent"] = perTick * kTicksPerSecond * 100.0;
}

void BM_ScanTickChanged(benchmark::State& state)
{
    FolderScanner scanner;
    FolderMemo memo;
    Rows rows;
    scanner.Synchronise(Folder(), rows, &memo);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A file comes and a file goes, as a stream does.
        const fs::path added = Folder() / ("new" + std::to_string(i++ % 2) + ".zqm");
        if (fs::exists(added)) fs::remove(added);
        else std::ofstream(added) << "z";
        Settle();
        state.ResumeTiming();
        scanner.Synchronise(Folder(), rows, &memo);
    }
}

BENCHMARK(BM_ScanTickUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanTickChanged)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
