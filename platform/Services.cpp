// The services in force: the backend's real ones, or a test's replacement.
#include "platform/Services.h"

namespace mrv::platform {

namespace {

Services* g_installed = nullptr;

} // namespace

Services& GetServices() { return g_installed ? *g_installed : RealServices(); }

void SetServices(Services* services) { g_installed = services; }

} // namespace mrv::platform
