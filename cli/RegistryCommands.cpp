// list, add, delete and check: the registry commands, mirroring what the main
// window does with modreg.dat.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "link/LinkFile.h"
#include "registry/RegistryFile.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace mrv::cli {
namespace {
namespace fs = std::filesystem;
namespace reg = mrv::registry;

// The window's refusals of a duplicate entry; the path or title follows.
constexpr const char* kDuplicateFile = "중복된 화일이 존재 합니다....";
constexpr const char* kDuplicateTitle = "중복된 곡명이 존재 합니다....";
// The window's deletion question, after "[title : path] ".
constexpr const char* kDeleteQuestion = "을 목록에서 삭제 하시겠습니까?";

int Fail(Console& c, std::string_view command, Error e, const fs::path& file)
{
    if (e.file.empty()) e.file = file;
    PrintError(c.err, command, e);
    return kExitFailed;
}

int Refuse(Console& c, std::string_view command, std::string_view message)
{
    c.err << "mrvtool " << command << ": " << message << "\n";
    return kExitFailed;
}

// A listing that a change may rely on: readable and without damage.
Result<reg::Listing> SoundListing(const fs::path& file)
{
    auto listing = reg::ReadList(file);
    if (!listing) return listing.error();
    if (listing->damage) return *listing->damage;
    return listing;
}

void PrintBackup(Console& c, const reg::ChangeOutcome& outcome)
{
    if (outcome.backup) c.out << "백업: " << outcome.backup->string() << "\n";
}

std::string EntryLine(std::size_t index, std::string_view titleCp949, std::string_view pathCp949)
{
    return std::to_string(index) + "\t" + TsvField(ToUtf8(titleCp949)) + "\t" + TsvField(ToUtf8(pathCp949));
}

int RunList(const Args& args, Console& c)
{
    const fs::path file = args.positionals[0];
    auto listing = reg::ReadList(file);
    if (!listing) return Fail(c, "list", listing.error(), file);

    const auto& entries = listing->entries;
    if (args.Has("--json")) {
        c.out << "[";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            c.out << (i ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"title\": " << JsonString(ToUtf8(entries[i].title))
                  << ", \"path\": " << JsonString(ToUtf8(entries[i].path)) << "}";
        }
        c.out << (entries.empty() ? "]\n" : "\n]\n");
    } else {
        for (std::size_t i = 0; i < entries.size(); ++i) c.out << EntryLine(i, entries[i].title, entries[i].path) << "\n";
    }
    // The entries before the damage are shown all the same: they are what the handset lists too.
    if (listing->damage) return Fail(c, "list", *listing->damage, file);
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

    auto title = ToCp949(args.Text("--title", kDefaultTitle), "--title");
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
    const fs::path file = args.positionals[0];
    auto fields = FieldsOf(args);
    if (!fields) return Refuse(c, "add", fields.error().message);
    auto listing = SoundListing(file);
    if (!listing) return Fail(c, "add", listing.error(), file);

    // The window's checks, in its order: a listed path first, then a listed title.
    const auto& entries = listing->entries;
    const std::string path = reg::EntryPath(fields->kind, fields->linkName);
    if (std::any_of(entries.begin(), entries.end(), [&](const reg::Entry& e) { return e.path == path; })) {
        return Refuse(c, "add", std::string(kDuplicateFile) + " (" + ToUtf8(path) + ")");
    }
    if (std::any_of(entries.begin(), entries.end(), [&](const reg::Entry& e) { return e.title == fields->title; })) {
        return Refuse(c, "add", std::string(kDuplicateTitle) + " (" + ToUtf8(fields->title) + ")");
    }

    std::optional<reg::LocalTime> backupAt;
    if (!args.Has("--no-backup")) backupAt = c.now();
    auto outcome = reg::Append(file, *fields, backupAt);
    if (!outcome) return Fail(c, "add", outcome.error(), file);
    c.out << "추가했습니다: " << EntryLine(entries.size(), fields->title, path) << "\n";
    PrintBackup(c, *outcome);
    return kExitOk;
}

bool IsYes(std::string answer)
{
    while (!answer.empty() && (answer.back() == ' ' || answer.back() == '\r')) answer.pop_back();
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "예" || answer == "네";
}

int RunDelete(const Args& args, Console& c)
{
    const fs::path file = args.positionals[0];
    const auto index = static_cast<std::size_t>(args.PositionalInteger(1));
    auto listing = SoundListing(file);
    if (!listing) return Fail(c, "delete", listing.error(), file);
    const auto& entries = listing->entries;
    if (index >= entries.size()) {
        return Refuse(c, "delete", std::to_string(index) + "번 항목이 없습니다: 목록에는 항목이 " +
                                       std::to_string(entries.size()) + "개 있습니다.");
    }
    const reg::Entry doomed = entries[index];

    if (!args.Has("--yes")) {
        if (!c.inIsTerminal) {
            return Refuse(c, "delete", "표준 입력이 터미널이 아니라서 확인을 받을 수 없습니다. 확인 없이 지우려면 --yes 를 붙이세요.");
        }
        c.err << "[" << ToUtf8(doomed.title) << " : " << ToUtf8(doomed.path) << "] " << kDeleteQuestion << " (y/N) "
              << std::flush;
        std::string answer;
        if (!std::getline(c.in, answer) || !IsYes(answer)) return Refuse(c, "delete", "지우지 않았습니다.");

        // While the question was open another program may have changed the
        // file; the entry to delete must still be the one the user saw.
        auto again = SoundListing(file);
        if (!again) return Fail(c, "delete", again.error(), file);
        if (index >= again->entries.size() || again->entries[index].title != doomed.title ||
            again->entries[index].path != doomed.path) {
            return Refuse(c, "delete", "확인하는 동안 화일이 바뀌었습니다. 지우지 않았습니다.");
        }
    }

    auto outcome = reg::Delete(file, static_cast<int>(index), c.now());
    if (!outcome) return Fail(c, "delete", outcome.error(), file);
    c.out << "삭제했습니다: " << EntryLine(index, doomed.title, doomed.path) << "\n";
    PrintBackup(c, *outcome);
    return kExitOk;
}

int RunCheck(const Args& args, Console& c)
{
    const fs::path file = args.positionals[0];
    auto listing = reg::ReadList(file);
    if (!listing) return Fail(c, "check", listing.error(), file);
    if (listing->damage) {
        c.out << "손상되었습니다: 손상 앞에서 읽은 항목 " << listing->entries.size() << "개\n";
        return Fail(c, "check", *listing->damage, file);
    }
    const std::uint64_t used = reg::kHeaderSize + static_cast<std::uint64_t>(listing->recordsSize);
    c.out << "정상입니다.\n"
          << "항목: " << listing->entryCount << "\n"
          << "recordsSize: " << listing->recordsSize << "\n"
          << "화일 길이: " << listing->fileLength << "\n"
          << "남은 바이트: " << listing->fileLength - used << " (오프셋 " << used << "부터)\n";
    return kExitOk;
}

const ArgSpec kFileArg{"FILE", ValueType::Text, "레지스트리 화일 (modreg.dat)"};

const Command kCommands[] = {
    {{"list", "레지스트리의 항목을 한 줄에 하나씩 보입니다: 번호<탭>제목<탭>경로 (번호는 0부터).",
      {kFileArg},
      {{"--json", ValueType::Flag, "{\"index\",\"title\",\"path\"} 의 JSON 배열로 보입니다."}}},
     RunList},
    {{"add", "메인 창의 \"추가 -->\" 처럼 항목을 하나 덧붙입니다. 같은 경로나 같은 제목이 있으면 거부합니다.",
      {kFileArg},
      {{"--title", ValueType::Text, "곡 제목 (기본값 노래제목입력)"},
       KindOption(),
       NumberOption(),
       LocationOption(),
       {"--size", ValueType::Integer, "음원 화일 크기, 바이트 (기본값 1048576)", INT32_MIN, INT32_MAX, {}},
       {"--time", ValueType::Integer, "재생 시간, 초 (기본값 60)", INT32_MIN, INT32_MAX, {}},
       {"--copyright", ValueType::Text, "저작권자 (기본값 모토롤라MS400)"},
       {"--bitrate", ValueType::Text, "Bitrate (기본값 128.00)"},
       {"--kbps", ValueType::Text, "kbps (기본값 128.00)"},
       {"--rate", ValueType::Text, "샘플링 주파수 kHz (기본값 44.10)"},
       {"--format", ValueType::Text, "오디오 음원 포멧 방식 (기본값 HE-AAC (MP4))"},
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
