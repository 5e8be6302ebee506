// list, add, delete and check: the registry commands, mirroring what the main
// window does with modreg.dat.
#include "cli/Ask.h"
#include "cli/Commands.h"
#include "cli/ListOutput.h"
#include "cli/Output.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "registry/Messages.h"
#include "registry/RegistryFile.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace mrv::cli {
namespace {
namespace fs = std::filesystem;
namespace reg = mrv::registry;

int Fail(Console& c, std::string_view command, Error e, const fs::path& file)
{
    if (e.file.empty()) e.file = file;
    return Failed(c, command, e);
}

void PrintBackup(Console& c, const reg::ChangeOutcome& outcome)
{
    if (outcome.backup) c.out << "백업: " << os::PathText(*outcome.backup) << "\n";
}

std::string EntryLine(std::size_t index, std::string_view titleCp949, std::string_view pathCp949)
{
    return std::to_string(index) + "\t" + TsvField(ToUtf8(titleCp949)) + "\t" + TsvField(ToUtf8(pathCp949));
}

fs::path FileArg(const Args& args) { return os::PathFromUtf8(args.positionals[0]); }

int RunList(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    ListOutput output(c.out, args.Has("--json"));
    auto summary = reg::VisitRawList(file, [&output](const reg::RawEntry& e) { output.Entry(e.title, e.path); });
    output.Finish(summary.ok());
    if (!summary) return Fail(c, "list", summary.error(), file);
    // The entries before the damage are shown all the same: they are what the handset lists too.
    if (summary->damage) return Fail(c, "list", *summary->damage, file);
    return kExitOk;
}

Result<std::string> OptionText(const Args& args, std::string_view option, std::string fallbackCp949)
{
    if (!args.Has(option)) return fallbackCp949;
    return ToCp949(args.Text(option, ""), option);
}

Result<reg::EntryFields> FieldsOf(const Args& args)
{
    reg::EntryFields f;
    f.kind = KindOf(args);
    f.linkName = link::LinkFileName(link::Prefix(f.kind), NumberOf(args));
    f.location = LocationOf(args);
    f.fileSize = static_cast<std::int32_t>(args.Integer("--size", f.fileSize));
    f.playTime = static_cast<std::int32_t>(args.Integer("--time", f.playTime));

    auto title = ToCp949(args.Text("--title", DefaultTitleUtf8()), "--title");
    if (!title) return title.error();
    f.title = std::move(*title);

    const AudioInfo defaults = reg::DefaultAudioInfo();
    const std::pair<const char*, std::string AudioInfo::*> audio[] = {
        {"--copyright", &AudioInfo::copyrightHolder}, {"--bitrate", &AudioInfo::bitrate},
        {"--kbps", &AudioInfo::kbps},                 {"--rate", &AudioInfo::samplingRate},
        {"--format", &AudioInfo::audioFormat},
    };
    for (const auto& [option, member] : audio) {
        auto text = OptionText(args, option, defaults.*member);
        if (!text) return text.error();
        f.audio.*member = std::move(*text);
    }
    return f;
}

int RunAdd(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    auto fields = FieldsOf(args);
    if (!fields) return Refuse(c, "add", fields.error().message);
    const std::string path = reg::EntryPath(fields->kind, fields->linkName);

    // The window's checks, in its order (a listed path first, then a listed
    // title), are made by the append itself while it holds the file.
    std::optional<reg::LocalTime> backupAt;
    if (!args.Has("--no-backup")) backupAt = c.now();
    auto outcome = reg::Append(file, *fields, backupAt);
    if (!outcome) {
        const Error& e = outcome.error();
        if (e.code == ErrorCode::DuplicatePath) return Refuse(c, "add", e.message + " (" + ToUtf8(path) + ")");
        if (e.code == ErrorCode::DuplicateTitle) return Refuse(c, "add", e.message + " (" + ToUtf8(fields->title) + ")");
        return Fail(c, "add", e, file);
    }
    c.changedFile = true;
    c.out << "추가했습니다: " << EntryLine(static_cast<std::size_t>(outcome->index), fields->title, path) << "\n";
    PrintBackup(c, *outcome);
    return kExitOk;
}

int RunDelete(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    const auto index = static_cast<std::size_t>(args.PositionalInteger(1));
    reg::ChangeOptions options;
    if (!args.Has("--yes")) {
        if (!c.inIsTerminal) return *Ask(c, "delete", "", "지우려면", "");
        auto shown = reg::EntryAt(file, static_cast<int>(index));
        if (!shown) return Fail(c, "delete", shown.error(), file);
        const auto question = reg::messages::DeleteQuestion(ToUtf8(shown->title), ToUtf8(shown->path));
        if (const auto refused = Ask(c, "delete", question, "지우려면", "지우지 않았습니다.")) return *refused;
        // While the question was open another program may have changed the
        // file: the deletion checks that the entry is still the one shown.
        options.expected = std::move(*shown);
    }

    auto outcome = reg::Delete(file, static_cast<int>(index), c.now(), options);
    if (!outcome) {
        if (outcome.error().code == ErrorCode::Stale) return Refuse(c, "delete", outcome.error().message);
        return Fail(c, "delete", outcome.error(), file);
    }
    c.changedFile = true;
    c.out << "삭제했습니다: " << EntryLine(index, outcome->entry.title, outcome->entry.path) << "\n";
    PrintBackup(c, *outcome);
    return kExitOk;
}

int RunCheck(const Args& args, Console& c)
{
    const fs::path file = FileArg(args);
    std::size_t entries = 0;
    auto summary = reg::VisitList(file, [&entries](const reg::Entry&) { ++entries; });
    if (!summary) return Fail(c, "check", summary.error(), file);
    if (summary->damage) {
        c.out << "손상되었습니다: 손상 앞에서 읽은 항목 " << entries << "개\n";
        return Fail(c, "check", *summary->damage, file);
    }
    const std::uint64_t used = reg::kHeaderSize + static_cast<std::uint64_t>(summary->recordsSize);
    c.out << "정상입니다.\n"
          << "항목: " << summary->entryCount << "\n"
          << "recordsSize: " << summary->recordsSize << "\n"
          << "화일 길이: " << summary->fileLength << "\n"
          << "남은 바이트: " << summary->fileLength - used << " (오프셋 " << used << "부터)\n";
    return kExitOk;
}

const ArgSpec kFileArg{"FILE", ValueType::Text, "레지스트리 화일 (modreg.dat)"};

// The defaults the help names are those of the format.
const AudioInfo kAudio = reg::DefaultAudioInfo();
const std::string kTitleHelp = WithDefault("곡 제목", DefaultTitleUtf8());
const std::string kSizeHelp = WithDefault("음원 화일 크기, 바이트", std::to_string(reg::kDefaultFileSize));
const std::string kTimeHelp = WithDefault("재생 시간, 초", std::to_string(reg::kDefaultPlayTime));
const std::string kCopyrightHelp = WithDefault("저작권자", ToUtf8(kAudio.copyrightHolder));
const std::string kBitrateHelp = WithDefault("Bitrate", ToUtf8(kAudio.bitrate));
const std::string kKbpsHelp = WithDefault("kbps", ToUtf8(kAudio.kbps));
const std::string kRateHelp = WithDefault("샘플링 주파수 kHz", ToUtf8(kAudio.samplingRate));
const std::string kFormatHelp = WithDefault("오디오 음원 포멧 방식", ToUtf8(kAudio.audioFormat));

const Command kCommands[] = {
    {{"list", "레지스트리의 항목을 한 줄에 하나씩 보입니다: 번호<탭>제목<탭>경로 (번호는 0부터).",
      {kFileArg},
      {{"--json", ValueType::Flag, "{\"index\",\"title\",\"path\"} 의 JSON 배열로 보입니다."}}},
     RunList},
    {{"add", "메인 창의 \"추가 -->\" 처럼 항목을 하나 덧붙입니다. 같은 경로나 같은 제목이 있으면 거부합니다.",
      {kFileArg},
      {{"--title", ValueType::Text, kTitleHelp.c_str()},
       KindOption(),
       NumberOption(),
       LocationOption(),
       {"--size", ValueType::Integer, kSizeHelp.c_str(), INT32_MIN, INT32_MAX, {}},
       {"--time", ValueType::Integer, kTimeHelp.c_str(), INT32_MIN, INT32_MAX, {}},
       {"--copyright", ValueType::Text, kCopyrightHelp.c_str()},
       {"--bitrate", ValueType::Text, kBitrateHelp.c_str()},
       {"--kbps", ValueType::Text, kKbpsHelp.c_str()},
       {"--rate", ValueType::Text, kRateHelp.c_str()},
       {"--format", ValueType::Text, kFormatHelp.c_str()},
       {"--no-backup", ValueType::Flag, "백업화일을 만들지 않습니다."}}},
     RunAdd},
    {{"delete", "INDEX 번 항목을 지웁니다. 먼저 터미널에서 확인을 받고, 언제나 백업화일을 만듭니다.",
      {kFileArg, {"INDEX", ValueType::Integer, "지울 항목의 번호 (0부터)", 0, INT32_MAX, {}}},
      {{"--yes", ValueType::Flag, "확인하지 않고 지웁니다."}}},
     RunDelete},
    {{"check", "레지스트리가 온전한지 봅니다: 항목 수, recordsSize, 화일 길이, 남은 바이트.", {kFileArg}, {}},
     RunCheck},
};

} // namespace

std::span<const Command> RegistryCommands()
{
    return kCommands;
}

} // namespace mrv::cli
