#include "cli/Ask.h"

#include <istream>
#include <ostream>
#include <string>

namespace mrv::cli {
namespace {

bool IsYes(std::string answer)
{
    while (!answer.empty() && (answer.back() == ' ' || answer.back() == '\r')) answer.pop_back();
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "예" || answer == "네";
}

} // namespace

int Refuse(Console& c, std::string_view command, std::string_view message)
{
    c.err << "mrvtool " << command << ": " << message << "\n";
    return kExitFailed;
}

std::optional<int> Ask(Console& c, std::string_view command, std::string_view question, std::string_view toDoIt,
                       std::string_view declined)
{
    if (!c.inIsTerminal) {
        std::string message = "표준 입력이 터미널이 아니라서 확인을 받을 수 없습니다. 확인 없이 ";
        message += toDoIt;
        message += " --yes 를 붙이세요.";
        return Refuse(c, command, message);
    }
    c.err << question << " (y/N) " << std::flush;
    std::string answer;
    if (!std::getline(c.in, answer) || !IsYes(answer)) return Refuse(c, command, declined);
    return std::nullopt;
}

} // namespace mrv::cli
