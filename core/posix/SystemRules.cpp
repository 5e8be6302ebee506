#include "core/SystemRules.h"

#include <string>

namespace mrv::os {

bool IsSystemFolder(const std::filesystem::path& folder)
{
    const std::string text = folder.lexically_normal().string();
    for (const char* system : {"/usr/", "/bin/", "/sbin/", "/lib/", "/lib32/", "/lib64/", "/opt/", "/snap/", "/etc/"})
        if (text.rfind(system, 0) == 0) return true;
    return false;
}

bool IsPlainFileName(std::string_view utf8)
{
    return !utf8.empty() && utf8 != "." && utf8 != ".." && utf8.find('/') == std::string_view::npos;
}

std::tm LocalCalendar(std::time_t moment)
{
    std::tm local{};
    // The reentrant form: localtime's result is shared by every thread.
    localtime_r(&moment, &local);
    return local;
}

} // namespace mrv::os
