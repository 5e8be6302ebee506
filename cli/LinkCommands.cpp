// make-link and show-link: the link maker of the main window, and a reader
// that shows what a link file holds.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"

#include <cstdio>
#include <ostream>

namespace mrv::cli {
namespace {
namespace fs = std::filesystem;

int Fail(Console& c, std::string_view command, const Error& e)
{
    return Failed(c, command, e);
}

int RunMakeLink(const Args& args, Console& c)
{
    auto title = ToCp949(args.Text("--title", DefaultTitleUtf8()), "--title");
    if (!title) return Fail(c, "make-link", title.error());
    auto written = link::WriteLinkFile(os::PathFromUtf8(args.positionals[0]), KindOf(args), *title, LocationOf(args), NumberOf(args));
    if (!written) return Fail(c, "make-link", written.error());
    c.changedFile = true;
    c.out << os::PathText(*written) << "\n";
    return kExitOk;
}

std::string Hex(const std::array<std::uint8_t, 8>& block)
{
    std::string out;
    char buf[4];
    for (auto b : block) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out;
}

int RunShowLink(const Args& args, Console& c)
{
    auto info = link::ReadLinkFile(os::PathFromUtf8(args.positionals[0]));
    if (!info) return Fail(c, "show-link", info.error());
    const char* kind = info->kind == LinkKind::Mod ? "MOD" : "MRV";
    const std::string title = ToUtf8(info->title);
    if (args.Has("--json")) {
        c.out << "{\"kind\": \"" << kind << "\", \"title\": " << JsonString(title)
              << ", \"memoryCard\": " << (info->memoryCard ? "true" : "false") << ", \"block\": \"" << Hex(info->block)
              << "\", \"targetPath\": " << JsonString(info->targetPath) << ", \"number\": " << info->number
              << ", \"location\": " << (info->location ? std::to_string(*info->location) : "null")
              << ", \"length\": " << info->length << "}\n";
        return kExitOk;
    }
    c.out << "종류: " << kind << "\n"
          << "제목: " << title << "\n"
          << "위치 블록: " << (info->memoryCard ? "메모리 카드" : "내장 메모리") << " (" << Hex(info->block) << ")\n"
          << "대상 경로: " << info->targetPath << "\n";
    if (info->location) c.out << "저장 위치: " << *info->location << "\n";
    c.out << "길이: " << info->length << "\n";
    return kExitOk;
}

const std::string kTitleHelp = WithDefault("곡 제목, 한글 코드로 50바이트까지", DefaultTitleUtf8());

const Command kCommands[] = {
    {{"make-link", "메인 창의 \"만들기\" 처럼 링크 화일을 FOLDER 에 쓰고 그 경로를 보입니다. 같은 이름의 화일은 바꿉니다.",
      {{"FOLDER", ValueType::Text, "링크 화일을 쓸 폴더"}},
      {{"--title", ValueType::Text, kTitleHelp.c_str()},
       KindOption(),
       NumberOption(),
       LocationOption()}},
     RunMakeLink},
    {{"show-link", "링크 화일의 종류, 제목, 위치 블록, 대상 경로, 길이를 보입니다.",
      {{"FILE", ValueType::Text, "링크 화일 (MRV_Dat00001 등)"}},
      {{"--json", ValueType::Flag, "JSON 객체로 보입니다."}}},
     RunShowLink},
};

} // namespace

std::span<const Command> LinkCommands()
{
    return kCommands;
}

} // namespace mrv::cli
