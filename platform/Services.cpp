// The services in force: the backend's real ones, or a test's replacement.
#include "platform/Services.h"

#include "core/FileSystem.h"
#include "text/Cp949.h"

#include <system_error>

namespace mrv::platform {

namespace {

Services* g_installed = nullptr;

} // namespace

Services& GetServices() { return g_installed ? *g_installed : RealServices(); }

void SetServices(Services* services) { g_installed = services; }

std::filesystem::path WithDefaultExtension(std::filesystem::path chosen, const std::string& extensionCp949)
{
    std::error_code ec;
    if (extensionCp949.empty() || chosen.has_extension() || std::filesystem::exists(chosen, ec)) return chosen;
    chosen += os::PathFromUtf8("." + text::Cp949ToUtf8Lossy(extensionCp949));
    return chosen;
}

} // namespace mrv::platform
