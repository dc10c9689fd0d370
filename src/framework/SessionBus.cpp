#include "SessionBus.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace afx {
namespace {

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool Runnable(std::string_view folder, const char* program) {
    std::string path(folder.empty() ? std::string_view(".") : folder);
    path += '/';
    path += program;
    return ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool SessionBusLaunchCannotSucceed(const char* address, const char* runtimeFolder, const char* searchPath) {
    if (address) return false;
    // D-Bus takes a bus there before it would launch one.
    if (runtimeFolder && *runtimeFolder && Exists(std::string(runtimeFolder) + "/bus")) return false;
    std::string_view rest = searchPath ? searchPath : "";
    while (true) {
        const std::size_t colon = rest.find(':');
        if (Runnable(rest.substr(0, colon), "dbus-launch")) return false;
        if (colon == std::string_view::npos) return true;
        rest.remove_prefix(colon + 1);
    }
}

void SkipSessionBusLaunchThatCannotSucceed() {
    // D-Bus runs dbus-launch from its own installation folder first, then
    // looks for it as a shell would (in /bin and /usr/bin without a PATH).
    const char* path = std::getenv("PATH");
    const std::string searchPath = std::string("/usr/bin:/usr/local/bin:") + (path ? path : "/bin:/usr/bin");
    if (SessionBusLaunchCannotSucceed(std::getenv("DBUS_SESSION_BUS_ADDRESS"), std::getenv("XDG_RUNTIME_DIR"),
                                      searchPath.c_str())) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    }
}

}  // namespace afx
