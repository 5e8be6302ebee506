#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/Output.h"

#include <ostream>
#include <vector>

namespace mrv::cli {
namespace {

std::vector<const Command*> AllCommands()
{
    std::vector<const Command*> all;
    for (const auto& c : RegistryCommands()) all.push_back(&c);
    for (const auto& c : BackupCommands()) all.push_back(&c);
    for (const auto& c : ImportCommands()) all.push_back(&c);
    for (const auto& c : LinkCommands()) all.push_back(&c);
    return all;
}

const Command* Find(std::string_view name)
{
    for (const Command* c : AllCommands()) {
        if (name == c->spec.name) return c;
    }
    return nullptr;
}

std::string ToolHelp()
{
    std::string out =
        "사용법: mrvtool 명령 [인자...]\n\n"
        "휴대폰의 음원 레지스트리(modreg.dat)와 벨소리 링크 화일(MRV_Dat00001, MOD_Dat00001, ...)을 다룹니다.\n"
        "명령줄과 출력의 글자는 UTF-8이고, 화일에는 한글 코드(CP949)로 씁니다.\n\n명령:\n";
    for (const Command* c : AllCommands()) {
        std::string name = std::string("  ") + c->spec.name;
        name.resize(14, ' ');
        out += name + c->spec.summary + "\n";
    }
    out += "\n명령마다 'mrvtool 명령 --help' 로 자세한 도움말을 봅니다.\n"
           "끝 상태: 0 성공, 1 거부되었거나 실패함(화일은 그대로), 2 명령줄이 잘못됨,\n"
           "         3 화일은 바꾸었지만 디스크에 다 쓰였는지 확인하지 못했거나 출력을 쓸 수 없었음.\n"
           "레지스트리를 다른 프로그램(메인 창이나 다른 mrvtool)이 바꾸는 중이면 잠시 기다렸다가 거부합니다.\n";
    return out;
}

} // namespace

int Run(std::span<const std::string> args, Console& console)
{
    if (args.empty()) {
        console.err << ToolHelp();
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        if (args.size() > 1) {
            if (const Command* c = Find(args[1])) {
                console.out << Help(c->spec);
                return kExitOk;
            }
        }
        console.out << ToolHelp();
        return kExitOk;
    }
    const Command* command = Find(name);
    if (!command) {
        console.err << "mrvtool: 알 수 없는 명령입니다: '" << name << "'\n"
                    << "명령 목록은 'mrvtool --help' 를 보세요.\n";
        return kExitUsage;
    }
    auto parsed = ParseArgs(command->spec, args.subspan(1));
    if (!parsed) return PrintUsageError(console.err, command->spec, parsed.error().message);
    if (parsed->help) {
        console.out << Help(command->spec);
        return kExitOk;
    }
    return command->run(*parsed, console);
}

} // namespace mrv::cli
