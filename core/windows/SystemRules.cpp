#include "core/SystemRules.h"

namespace mrv::os {

bool IsSystemFolder(const std::filesystem::path& /*folder*/) { return false; }

bool IsPlainFileName(std::string_view utf8)
{
    return !utf8.empty() && utf8 != "." && utf8 != ".." && utf8.find_first_of("/\\:") == std::string_view::npos;
}

std::tm LocalCalendar(std::time_t moment)
{
    std::tm local{};
    // The reentrant form: localtime's result is shared by every thread.
    localtime_s(&local, &moment);
    return local;
}

} // namespace mrv::os
