#include "songs/Import.h"

#include "cache/SavedFiles.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "registry/Records.h"
#include "text/Cp949.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_set>

namespace mrv::songs {
namespace fs = std::filesystem;

namespace {

constexpr double kFallbackKbps = 128.0;

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending)
{
    if (name.size() <= ending.size()) return false;
    const std::string_view tail = name.substr(name.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), ending.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

// What already holds a number: the registry's entries (as their paths show)
// and the save folder's files (link files and music files).
struct Taken {
    std::unordered_set<std::string> paths;    // CP949, as a list shows them
    std::unordered_set<std::string> titles;   // CP949
    std::set<std::string> files;              // folded as the file system compares names

    bool Number(const ImportSettings& s, int n) const
    {
        const std::string linkName = link::LinkFileName(link::Prefix(s.kind), n);
        const bool dcf = s.kind == LinkKind::Mod && link::IsDcfLocation(s.location);
        return paths.contains(registry::EntryPath(s.kind, linkName)) || files.contains(os::FoldName(linkName)) ||
               files.contains(os::FoldName(link::TargetFileName(n, s.kind, dcf)));
    }
};

Result<Taken> WhatIsTaken(const ImportSettings& s)
{
    Taken taken;
    auto summary = registry::VisitList(s.registry, [&taken](const registry::Entry& e) {
        taken.paths.emplace(e.path);
        taken.titles.emplace(e.title);
    });
    if (!summary) return summary.error();
    if (summary->damage) return *summary->damage;
    // A save folder not made yet holds nothing.
    (void)os::ListFolder(s.saveFolder, [&taken](std::string_view name, os::EntryType) {
        taken.files.insert(os::FoldName(name));
        return true;
    });
    return taken;
}

registry::EntryFields FieldsOf(const ImportSettings& s, const ImportRow& row)
{
    registry::EntryFields f;
    f.kind = s.kind;
    f.linkName = row.linkFileName;
    f.title = row.title;
    f.audio = s.audio;
    f.playTime = row.playTime;
    f.fileSize = static_cast<std::int32_t>(std::min<std::uint64_t>(row.size, std::numeric_limits<std::int32_t>::max()));
    f.location = s.location;
    return f;
}

// The link file in the save folder that already links a music file there:
// "12.zqm" beside MRV_Dat00012 or MOD_Dat00012. "" for any other file.
std::string LinkedBy(const ImportRow& row, const Taken& taken, const std::string& extension)
{
    const std::string_view stem = std::string_view(row.fileName).substr(0, row.fileName.size() - extension.size());
    if (stem.empty() || stem.size() > 5 || !std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    int number = 0;
    std::from_chars(stem.data(), stem.data() + stem.size(), number);
    for (LinkKind kind : {LinkKind::Mrv, LinkKind::Mod}) {
        const std::string linkName = link::LinkFileName(link::Prefix(kind), number);
        if (taken.files.contains(os::FoldName(linkName))) return linkName;
    }
    return {};
}

// Why a row's title cannot be added, or "".
std::string TitleRefusal(const ImportRow& row, const Taken& taken, const std::unordered_set<std::string>& earlier)
{
    if (row.titleUnreadable) return "곡명에 한글 코드(CP949)로 나타낼 수 없는 글자가 있습니다";
    if (row.title.empty()) return "곡명이 없습니다";
    if (row.title.size() > link::kMaxTitleBytes) {
        return "곡명이 " + std::to_string(row.title.size()) + "바이트로, 링크 화일에 넣을 수 있는 " +
               std::to_string(link::kMaxTitleBytes) + "바이트를 넘습니다";
    }
    if (taken.titles.contains(row.title)) return "레지스트리에 같은 곡명이 있습니다";
    if (earlier.contains(row.title)) return "앞의 곡과 곡명이 같습니다";
    return {};
}

Error Named(Error e, std::string_view what)
{
    e.message = std::string(what) + ": " + e.message;
    return e;
}

} // namespace

int ImportPlan::Added() const
{
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.refused.empty(); }));
}

std::string ContainerExtension(LinkKind kind, StorageLocation location)
{
    return kind == LinkKind::Mod && link::IsDcfLocation(location) ? ".dcf" : ".zqm";
}

std::int32_t EstimatedPlayTime(std::uint64_t size, const std::string& kbpsCp949)
{
    double kbps = 0;
    const char* first = kbpsCp949.data();
    const char* last = first + kbpsCp949.size();
    const auto [end, error] = std::from_chars(first, last, kbps);
    if (error != std::errc{} || !(kbps > 0) || !std::isfinite(kbps)) kbps = kFallbackKbps;
    double seconds = std::round(static_cast<double>(size) * 8.0 / (kbps * 1000.0));
    // A song of a few bytes still plays for a moment.
    if (size > 0) seconds = std::max(seconds, 1.0);
    return static_cast<std::int32_t>(std::min(seconds, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

Result<ImportPlan> PlanImport(const fs::path& folder, const ImportSettings& settings,
                              const std::map<std::string, std::string>& titlesUtf8)
{
    ImportPlan plan;
    plan.settings = settings;
    const std::string extension = ContainerExtension(settings.kind, settings.location);
    std::vector<std::string> names;
    auto listed = os::ListFolder(folder, [&](std::string_view name, os::EntryType type) {
        // Hidden files (our own temporary ones among them) are no songs.
        if (type == os::EntryType::File && name.front() != '.' && EndsWithIgnoringCase(name, extension))
            names.emplace_back(name);
        return true;
    });
    if (!listed) return listed.error();
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ImportRow row;
        row.source = folder / os::PathFromUtf8(name);
        row.fileName = name;
        if (const auto info = os::Stat(row.source)) row.size = info->size;
        const auto own = titlesUtf8.find(name);
        const std::string title = own != titlesUtf8.end() ? own->second : name.substr(0, name.size() - extension.size());
        if (auto cp949 = text::Utf8ToCp949(title)) row.title = std::move(*cp949);
        else row.titleUnreadable = true;
        plan.rows.push_back(std::move(row));
    }
    if (auto s = Refresh(plan); !s) return s.error();
    return plan;
}

Status Refresh(ImportPlan& plan)
{
    const ImportSettings& s = plan.settings;
    auto taken = WhatIsTaken(s);
    if (!taken) return taken.error();
    std::unordered_set<std::string> earlier;
    int next = std::max(s.firstNumber, 0);
    const std::string extension = ContainerExtension(s.kind, s.location);
    const auto saveFolder = os::Stat(s.saveFolder);
    for (ImportRow& row : plan.rows) {
        row.number = -1;
        row.linkFileName.clear();
        row.targetName.clear();
        row.playTime = EstimatedPlayTime(row.size, s.audio.kbps);
        row.refused = TitleRefusal(row, *taken, earlier);
        // A song of the save folder that a link file there already names is on the handset's list's way.
        if (const auto folder = os::Stat(row.source.parent_path()); saveFolder && folder && folder->id == saveFolder->id) {
            if (const std::string linked = LinkedBy(row, *taken, extension); !linked.empty())
                row.refused = "이미 " + linked + " 이(가) 가리키는 음원 화일입니다";
        }
        if (row.refused.empty() && row.size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            row.refused = "화일이 " + std::to_string(row.size) + "바이트로, 항목에 적을 수 있는 크기(" +
                          std::to_string(std::numeric_limits<std::int32_t>::max()) + "바이트)보다 큽니다";
        }
        if (!row.refused.empty()) continue;
        while (next <= link::kMaxLinkNumber && taken->Number(s, next)) ++next;
        if (next > link::kMaxLinkNumber) {
            row.refused = std::to_string(std::max(s.firstNumber, 0)) + "번부터 " + std::to_string(link::kMaxLinkNumber) +
                          "번까지 남은 번호가 없습니다";
            continue;
        }
        row.number = next++;
        row.linkFileName = link::LinkFileName(link::Prefix(s.kind), row.number);
        row.targetName = link::TargetFileName(row.number, s.kind, s.kind == LinkKind::Mod && link::IsDcfLocation(s.location));
        // The entry as the registry will hold it: one the handset cannot read is left out.
        if (const auto record = registry::BuildRecord(FieldsOf(s, row)); !record) {
            row.refused = record.error().message;
            row.number = -1;
            row.linkFileName.clear();
            row.targetName.clear();
            --next;
            continue;
        }
        earlier.insert(row.title);
    }
    return Ok{};
}

Result<ImportOutcome> RunImport(const ImportPlan& plan, std::optional<LocalTime> backupAt,
                                const registry::ChangeOptions& options)
{
    const ImportSettings& s = plan.settings;
    ImportOutcome outcome;
    const auto undo = [&outcome](Error e) {
        for (auto it = outcome.created.rbegin(); it != outcome.created.rend(); ++it) (void)os::RemoveFile(*it);
        outcome.created.clear();
        return e;
    };
    std::vector<registry::EntryFields> entries;
    for (const ImportRow& row : plan.rows) {
        if (!row.refused.empty()) continue;
        const fs::path target = s.saveFolder / os::PathFromUtf8(row.targetName);
        if (auto copied = cache::CopyToNew(row.source, target); !copied) {
            return undo(Named(copied.error(), Quoted(row.source) + " 을(를) " + Quoted(target) + " 로 복사하지 못했습니다"));
        }
        outcome.created.push_back(target);
        auto linked = link::WriteNewLinkFile(s.saveFolder, s.kind, row.title, s.location, row.number);
        if (!linked) {
            const fs::path file = s.saveFolder / os::PathFromUtf8(row.linkFileName);
            return undo(Named(linked.error(), "링크 화일 " + Quoted(file) + " 을(를) 쓰지 못했습니다"));
        }
        outcome.created.push_back(*linked);
        entries.push_back(FieldsOf(s, row));
    }
    if (entries.empty()) return Error{ErrorCode::InvalidArgument, "추가할 곡이 없습니다.", -1, s.saveFolder};
    auto appended = registry::AppendEntries(s.registry, entries, backupAt, options);
    if (!appended) {
        // Not confirmed, the entries may be there: their files stay with them.
        if (appended.error().code == ErrorCode::NotConfirmed) return appended.error();
        return undo(Named(appended.error(), "레지스트리화일 " + Quoted(s.registry) + " 에 항목을 덧붙이지 못했습니다"));
    }
    outcome.added = static_cast<int>(entries.size());
    outcome.backup = appended->backup;
    return outcome;
}

} // namespace mrv::songs
