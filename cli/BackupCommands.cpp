// backups and restore: the backups beside a registry, going back to one of
// them, and tidying away the old ones, as the main window's restore dialog does.
#include "cli/Ask.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "core/FileSystem.h"
#include "registry/Messages.h"
#include "registry/Restore.h"

#include <algorithm>
#include <ostream>

namespace mrv::cli {
namespace {
namespace fs = std::filesystem;
namespace reg = mrv::registry;
namespace messages = mrv::registry::messages;

fs::path FileArg(const Args& args) { return os::PathFromUtf8(args.positionals[0]); }

int Fail(Console& c, std::string_view command, Error e, const fs::path& file)
{
    if (e.file.empty()) e.file = file;
    return Failed(c, command, e);
}

std::string State(const reg::BackupInfo& b)
{
    return b.restorable ? "되살릴 수 있음" : "되살릴 수 없음: " + b.reason;
}

void PrintLines(Console& c, const std::vector<reg::BackupInfo>& backups)
{
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const auto& b = backups[i];
        c.out << i << "\t" << reg::BackupTimeText(b) << "\t" << TsvField(b.name) << "\t" << b.entries << "\t" << b.size
              << "\t" << TsvField(State(b)) << "\n";
    }
}

void PrintJson(Console& c, const std::vector<reg::BackupInfo>& backups)
{
    std::string out = "[";
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const auto& b = backups[i];
        out += i ? ",\n " : "\n ";
        out += "{\"index\":" + std::to_string(i) + ",\"name\":";
        AppendJsonString(out, b.name);
        out += ",\"time\":";
        AppendJsonString(out, reg::BackupTimeText(b));
        out += ",\"entries\":" + std::to_string(b.entries) + ",\"size\":" + std::to_string(b.size);
        out += ",\"restorable\":";
        out += b.restorable ? "true" : "false";
        out += ",\"reason\":";
        AppendJsonString(out, b.reason);
        out += "}";
    }
    out += backups.empty() ? "]\n" : "\n]\n";
    c.out << out;
}

int Tidy(const Args& args, Console& c, const fs::path& file, const std::vector<reg::BackupInfo>& backups)
{
    const auto keep = static_cast<int>(args.Integer("--keep", 1));
    const reg::TidyPlan plan = reg::PlanTidy(backups, keep);
    if (plan.remove.empty()) {
        c.out << messages::NothingToTidy(keep) << "\n";
        return kExitOk;
    }
    if (!args.Has("--yes")) {
        const auto question = messages::TidyQuestion(static_cast<std::int64_t>(plan.remove.size()), plan.bytes, keep);
        if (const auto refused = Ask(c, "backups", question, "지우려면", messages::kNothingTidied)) return *refused;
    }
    const auto removed = reg::RemoveBackups(file, plan);
    if (!removed) return Fail(c, "backups", removed.error(), file);
    c.out << messages::Tidied(removed->removed, removed->bytes) << "\n";
    return kExitOk;
}

int RunBackups(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    const auto backups = reg::ListBackups(file);
    if (!backups) return Fail(c, "backups", backups.error(), file);
    if (args.Has("--keep")) return Tidy(args, c, file, *backups);
    if (args.Has("--json")) PrintJson(c, *backups);
    else PrintLines(c, *backups);
    return kExitOk;
}

// BACKUP as a position in the listing or as the backup's file name (or a
// path to it beside the registry).
const reg::BackupInfo* Chosen(const std::vector<reg::BackupInfo>& backups, const std::string& text)
{
    if (!text.empty() && std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
        const auto at = ParseInteger(text, 0, static_cast<std::int64_t>(backups.size()) - 1);
        return at ? &backups[static_cast<std::size_t>(*at)] : nullptr;
    }
    const std::string name = os::PathText(os::PathFromUtf8(text).filename());
    for (const auto& b : backups)
        if (b.name == name) return &b;
    return nullptr;
}

int RunRestore(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    const std::string wanted = args.positionals[1];
    const auto backups = reg::ListBackups(file);
    if (!backups) return Fail(c, "restore", backups.error(), file);
    const reg::BackupInfo* b = Chosen(*backups, wanted);
    if (!b) {
        return Refuse(c, "restore", "그런 백업이 없습니다: '" + wanted + "'. 'mrvtool backups " + args.positionals[0] +
                                        "' 로 목록을 보세요.");
    }
    if (!b->restorable) return Refuse(c, "restore", messages::NotRestorable(b->reason));
    if (!args.Has("--yes")) {
        const auto question = messages::RestoreQuestion(b->name, reg::BackupTimeText(*b), b->entries);
        if (const auto refused = Ask(c, "restore", question, "되살리려면", messages::kNothingRestored)) return *refused;
    }
    auto restored = reg::Restore(file, b->path, c.now());
    if (!restored) return Fail(c, "restore", restored.error(), file);
    if (restored->alreadyEqual) {
        c.out << messages::kAlreadyEqual << "\n";
        return kExitOk;
    }
    c.changedFile = true;
    c.out << "되살렸습니다: " << b->name << " (항목 " << restored->entries << "개)\n";
    if (restored->backup) c.out << "백업: " << os::PathText(*restored->backup) << "\n";
    return kExitOk;
}

const ArgSpec kFileArg{"FILE", ValueType::Text, "레지스트리 화일 (modreg.dat)"};

const Command kCommands[] = {
    {{"backups",
      "FILE 의 백업화일을 새것부터 한 줄에 하나씩 보입니다: 번호<탭>시각<탭>이름<탭>항목 수<탭>크기<탭>상태. "
      "--keep N 이면 가장 새로운 N개만 남기고 나머지 백업화일을 지웁니다.",
      {kFileArg},
      {{"--json", ValueType::Flag, "{\"index\",\"name\",\"time\",\"entries\",\"size\",\"restorable\",\"reason\"} 의 JSON 배열로 보입니다."},
       {"--keep", ValueType::Integer, "가장 새로운 N개만 남기고 지웁니다 (1 이상).", 1, 1000000, {}},
       {"--yes", ValueType::Flag, "--keep 에서 확인하지 않고 지웁니다."}}},
     RunBackups},
    {{"restore",
      "BACKUP (백업화일의 이름이나 'mrvtool backups' 의 번호) 으로 레지스트리를 되살립니다. 먼저 터미널에서 확인을 받고, "
      "지금의 레지스트리는 백업해 둡니다.",
      {kFileArg, {"BACKUP", ValueType::Text, "되살릴 백업화일의 이름이나 번호 (0부터)"}},
      {{"--yes", ValueType::Flag, "확인하지 않고 되살립니다."}}},
     RunRestore},
};

} // namespace

std::span<const Command> BackupCommands()
{
    return kCommands;
}

} // namespace mrv::cli
