// import: many songs in one action, as the main window's 여러 곡 한꺼번에 추가
// does: the plan shown as a table (or JSON), a question, then all of it or
// nothing.
#include "cli/Ask.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "songs/Import.h"
#include "songs/Messages.h"

#include <map>
#include <ostream>

namespace mrv::cli {
namespace {
namespace fs = std::filesystem;
namespace messages = mrv::songs::messages;

// "file name<TAB>title" lines, UTF-8; blank lines are skipped.
Result<std::map<std::string, std::string>> ReadTitles(const fs::path& tsv)
{
    auto bytes = ReadWholeFile(tsv, std::uint64_t{16} << 20);
    if (!bytes) return bytes.error();
    std::map<std::string, std::string> titles;
    const std::string text(bytes->begin(), bytes->end());
    std::size_t at = 0;
    for (int line = 1; at < text.size(); ++line) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string row = text.substr(at, end - at);
        at = end + 1;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.empty()) continue;
        const std::size_t tab = row.find('\t');
        if (tab == std::string::npos) {
            return Error{ErrorCode::InvalidArgument,
                         Quoted(tsv) + " 의 " + std::to_string(line) + "번째 줄에 탭이 없습니다: '화일 이름<탭>곡명' 이어야 합니다.", -1, tsv};
        }
        titles[row.substr(0, tab)] = row.substr(tab + 1);
    }
    return titles;
}

std::string State(const songs::ImportRow& row)
{
    return row.refused.empty() ? std::string(messages::kWillBeAdded) : messages::LeftOut(row.refused);
}

void PrintPlan(Console& c, const songs::ImportPlan& plan, bool json)
{
    if (!json) {
        for (const auto& r : plan.rows) {
            c.out << (r.number >= 0 ? std::to_string(r.number) : "-") << "\t" << TsvField(ToUtf8(r.title)) << "\t"
                  << r.linkFileName << "\t" << r.targetName << "\t" << r.size << "\t" << r.playTime << "\t"
                  << TsvField(r.fileName) << "\t" << TsvField(State(r)) << "\n";
        }
        return;
    }
    std::string out = "[";
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const auto& r = plan.rows[i];
        out += i ? ",\n " : "\n ";
        out += "{\"file\":";
        AppendJsonString(out, r.fileName);
        out += ",\"title\":";
        AppendJsonString(out, ToUtf8(r.title));
        out += ",\"number\":" + (r.number >= 0 ? std::to_string(r.number) : std::string("null"));
        out += ",\"link\":";
        AppendJsonString(out, r.linkFileName);
        out += ",\"target\":";
        AppendJsonString(out, r.targetName);
        out += ",\"size\":" + std::to_string(r.size) + ",\"time\":" + std::to_string(r.playTime);
        out += ",\"added\":";
        out += r.refused.empty() ? "true" : "false";
        out += ",\"reason\":";
        AppendJsonString(out, r.refused);
        out += "}";
    }
    out += plan.rows.empty() ? "]\n" : "\n]\n";
    c.out << out;
}

int RunImport(const Args& args, Console& c)
{
    const fs::path file = os::PathFromUtf8(args.positionals[0]);
    const fs::path folder = os::PathFromUtf8(args.positionals[1]);
    if (!args.Has("--save-folder")) return PrintUsageError(c.err, ImportCommands()[0].spec, "--save-folder 를 주어야 합니다.");
    songs::ImportSettings settings;
    settings.registry = file;
    settings.saveFolder = os::PathFromUtf8(args.Text("--save-folder", ""));
    settings.kind = KindOf(args);
    settings.location = LocationOf(args);
    settings.audio = registry::DefaultAudioInfo();
    settings.firstNumber = static_cast<int>(args.Integer("--first", 1));

    std::map<std::string, std::string> titles;
    if (args.Has("--titles")) {
        auto read = ReadTitles(os::PathFromUtf8(args.Text("--titles", "")));
        if (!read) return Failed(c, "import", read.error());
        titles = std::move(*read);
    }
    auto plan = songs::PlanImport(folder, settings, titles);
    if (!plan) return Failed(c, "import", plan.error());
    PrintPlan(c, *plan, args.Has("--json"));
    if (args.Has("--dry-run")) return kExitOk;
    const int added = plan->Added();
    if (added == 0) return Refuse(c, "import", messages::kNothingToImport);
    if (!args.Has("--yes")) {
        const auto question =
            messages::ImportQuestion(added, static_cast<std::int64_t>(plan->rows.size()) - added, os::PathText(settings.saveFolder));
        if (const auto refused = Ask(c, "import", question, "추가하려면", messages::kNothingImported)) return *refused;
    }
    auto done = songs::RunImport(*plan, c.now());
    if (!done) {
        if (done.error().code == ErrorCode::NotConfirmed) c.changedFile = true;
        return Failed(c, "import", done.error());
    }
    c.changedFile = true;
    // The plan went to the output; what happened goes to the error stream when it is JSON.
    std::ostream& report = args.Has("--json") ? c.err : c.out;
    report << messages::Imported(done->added) << "\n";
    if (done->backup) report << "백업: " << os::PathText(*done->backup) << "\n";
    return kExitOk;
}

const Command kCommands[] = {
    {{"import",
      "FOLDER 의 음원 화일(저장 위치의 .zqm 이나 .dcf)을 한꺼번에 추가합니다: 음원 화일을 저장 폴더에 대상 이름으로 "
      "복사하고 링크 화일을 쓴 다음 항목을 모두 한 번에 덧붙입니다. 먼저 계획을 보이고 터미널에서 확인을 받습니다. "
      "줄마다: 번호<탭>곡명<탭>링크 화일<탭>음원 화일<탭>크기<탭>재생 시간<탭>원본<탭>상태.",
      {{"FILE", ValueType::Text, "레지스트리 화일 (modreg.dat)"}, {"FOLDER", ValueType::Text, "음원 화일이 있는 폴더"}},
      {{"--save-folder", ValueType::Text, "음원 화일과 링크 화일을 쓸 폴더 (꼭 줍니다)"},
       KindOption(),
       LocationOption(),
       {"--first", ValueType::Integer, "이 번호부터 빈 번호를 찾습니다 (기본값 1)", 0, 99999, {}},
       {"--titles", ValueType::Text, "'화일 이름<탭>곡명' 줄로 곡명을 주는 화일 (UTF-8)"},
       {"--dry-run", ValueType::Flag, "계획만 보이고 아무것도 쓰지 않습니다."},
       {"--json", ValueType::Flag, "계획을 JSON 배열로 보입니다."},
       {"--yes", ValueType::Flag, "확인하지 않고 추가합니다."}}},
     RunImport},
};

} // namespace

std::span<const Command> ImportCommands()
{
    return kCommands;
}

} // namespace mrv::cli
