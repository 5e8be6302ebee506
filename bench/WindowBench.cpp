// The main window's handlers with 100,000 entries, driven as a click would
// (offscreen), and the search window left open over a busy temporary folder.
//
// For load, "추가 -->" and the deletion's Yes: main_cpu_ms is what the
// handler costs the window's thread, file_cpu_ms what the same file work
// costs by itself (listing; append and listing; deletion and listing), and
// on_top_cpu_ms the difference (target: under 50 ms). The load also reports
// the memory the loaded list takes above the empty window (target: at most
// twice the file's size). The idle search window reports the share of one
// core the program takes while nothing changes (target: under 0.2 %).
#include "dialogs/MakerDlg.h"
#include "bench/BenchFiles.h"
#include "dialogs/CacheSearchDlg.h"
#include "platform/Services.h"
#include "platform/Testing.h"
#include "registry/RegistryFile.h"
#include "res/Resource.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

using namespace mrv;
using namespace mrv::bench;
namespace fs = std::filesystem;
namespace testing = mrv::platform::testing;

constexpr int kEntries = 100000;

// Prompts answered at once: the registry file for the file dialog, Yes for
// every question.
class QuietServices : public platform::Services {
public:
    fs::path registry;
    fs::path temp;

    int MessageBoxCp949(CWnd*, const std::string&, const std::string&, unsigned type) override
    {
        return (type & MsgBox::TypeMask) == MsgBox::YesNo ? CommandId::Yes : CommandId::Ok;
    }
    std::optional<fs::path> GetOpenFilePath(CWnd*, const platform::OpenFileRequest&) override { return registry; }
    platform::BrowseResult BrowseForFolder(CWnd*, const platform::BrowseRequest&) override { return std::nullopt; }
    bool OpenWithAssociatedProgram(const fs::path&) override { return false; }
    bool OpenFolder(const fs::path&) override { return false; }
    platform::LocalTime GetLocalTime() override { return {2005, 8, 9, 7, 3, ++m_second % 60, 0}; }
    std::string GetUserNameCp949() override { return "bench"; }
    fs::path GetProgramFolder() override { return TheScratch().Dir() / ""; }
    fs::path GetTempFolder() override { return temp / ""; }
    fs::path GetHomeFolder() override { return TheScratch().Dir() / ""; }

private:
    int m_second = 0;
};

QuietServices g_services;
CMakerDlg* g_window = nullptr;

double ThreadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ResidentMiB()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void Click(int id) { testing::Click(*g_window->GetDlgItem(id)); }

// The registry as it was before the handler changed it, listed again.
void Restore()
{
    for (const auto& e : fs::directory_iterator(TheScratch().Dir()))
        if (e.path().filename().string().starts_with("window.dat_")) fs::remove(e.path());
    TheScratch().WriteRegistry("window.dat", kEntries);
    Click(IDC_LOAD_REGISTRY);
    testing::ProcessEvents();
}

// Runs what a handler does; its main-thread CPU against the file work alone.
template <class Handler, class FileWork>
void Measure(benchmark::State& state, Handler&& handler, FileWork&& fileWork)
{
    double handlerCpu = 0, fileCpu = 0;
    for (auto _ : state) {
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMs();
        handler();
        testing::ProcessEvents();   // the list drawn as it now is
        handlerCpu += ThreadCpuMs() - cpuStart;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count());

        state.PauseTiming();
        Restore();
        const double fileStart = ThreadCpuMs();
        fileWork();
        fileCpu += ThreadCpuMs() - fileStart;
        Restore();
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["main_cpu_ms"] = handlerCpu / n;
    state.counters["file_cpu_ms"] = fileCpu / n;
    state.counters["on_top_cpu_ms"] = (handlerCpu - fileCpu) / n;
}

fs::path Registry() { return TheScratch().Dir() / "window.dat"; }

void BM_WindowLoad(benchmark::State& state)
{
    // Memory of the loaded list above the window without one.
    g_window->m_listRegistry.DeleteAllItems();
    g_window->m_listed.listing = {};
    testing::ProcessEvents();
    const double empty = ResidentMiB();
    Restore();
    state.counters["loaded_above_empty_MiB"] = ResidentMiB() - empty;
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(Registry())) / (1024.0 * 1024.0);
    Measure(state, [] { Click(IDC_LOAD_REGISTRY); }, [] { benchmark::DoNotOptimize(registry::ReadList(Registry())); });
}

void BM_WindowAdd(benchmark::State& state)
{
    Measure(
        state,
        [&state] {
            const std::size_t before = g_window->m_listed.listing.entries.size();
            Click(IDC_ADD_ENTRY);
            if (g_window->m_listed.listing.entries.size() != before + 1) state.SkipWithError("the entry was not added");
        },
        [] {
            registry::EntryFields f;
            f.kind = LinkKind::Mod;
            f.linkName = "MOD_Dat00001";
            f.title = g_window->m_strEntryTitle;
            f.audio = registry::DefaultAudioInfo();
            registry::ChangeOptions options;
            options.refuseDuplicates = false;
            benchmark::DoNotOptimize(registry::Append(Registry(), f, std::nullopt, options));
            benchmark::DoNotOptimize(registry::ReadList(Registry()));
        });
}

void BM_WindowDeleteYes(benchmark::State& state)
{
    constexpr int kRow = kEntries / 2;
    Measure(
        state,
        [] {
            g_window->m_listRegistry.SetItemState(kRow, ListItemState::Selected, ListItemState::Selected);
            testing::RightClickListRow(g_window->m_listRegistry, kRow);
        },
        [] {
            benchmark::DoNotOptimize(registry::Delete(Registry(), kRow, registry::LocalTime{2005, 8, 9, 7, 3, 59}));
            benchmark::DoNotOptimize(registry::ReadList(Registry()));
        });
}

// The search window open and scanning every 400 ms, over a temporary folder
// of 10,000 other files and 256 .zqm files that do not change.
void BM_SearchWindowIdle(benchmark::State& state)
{
    fs::create_directories(g_services.temp);
    for (int i = 0; i < 10000; ++i) std::ofstream(g_services.temp / ("cache" + std::to_string(i) + ".tmp")) << "x";
    for (int i = 0; i < 256; ++i) std::ofstream(g_services.temp / (std::to_string(i) + ".zqm")) << "z";
    fs::last_write_time(g_services.temp, fs::file_time_type::clock::now() - std::chrono::seconds(60));
    Click(IDC_SHOW_SEARCH);
    testing::ProcessEvents(1000);   // the first scans fill the lists
    if (g_window->SearchDlgForTesting().CacheRows().RowCount() != 256) state.SkipWithError("the cache list does not show the folder");
    for (auto _ : state) {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        testing::ProcessEvents(5000);
        ::getrusage(RUSAGE_SELF, &after);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
        const double cpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) - seconds(before.ru_stime);
        state.counters["core_percent"] = 100.0 * cpu / wall;
        state.SetIterationTime(wall);
    }
}

BENCHMARK(BM_WindowLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WindowAdd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WindowDeleteYes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchWindowIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    testing::ToolkitScope toolkit(argc, argv);
    g_services.registry = Registry();
    g_services.temp = TheScratch().Dir() / "tmp";
    platform::SetServices(&g_services);
    {
        CMakerDlg window;
        if (!window.Create(IDD_MAKER_DIALOG)) return 1;
        window.ShowWindow(ShowCmd::Show);
        g_window = &window;
        Click(IDC_NO_BACKUP);         // the append's own backup is another matter
        Click(IDC_ENTRY_KIND_MOD);    // a path none of the listed entries has
        Restore();
        benchmark::RunSpecifiedBenchmarks();
        g_window = nullptr;
        window.DestroyWindow();
    }
    platform::SetServices(nullptr);
    benchmark::Shutdown();
    return 0;
}
