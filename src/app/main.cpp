// Program entry: the command line, then the framework's start-up.
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Narrow(const wchar_t* text) {
    return std::string(CStringA(text).GetString());
}

void PrintVersion() {
    const afx::VersionInfo& v = res::ProgramVersion();
    std::printf("velquor %u.%u.%u.%u\n", v.fileVersion[0], v.fileVersion[1], v.fileVersion[2], v.fileVersion[3]);
    for (const afx::VersionString& s : v.strings) {
        std::printf("  %-16s %s\n", Narrow(s.key).c_str(), Narrow(s.value).c_str());
    }
}

void PrintHelp() {
    std::printf(
        "Usage: velquor              starts the window\n"
        "       velquor --version    prints the version block\n"
        "       velquor --help       prints this text\n");
}

bool HaveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// The fixed local arrays live on the GUI thread's stack: 400,000 bytes of
// int, and 800,000 bytes of CString in the largest handler. Make sure the
// main thread may grow its stack far enough, or refuse to start.
constexpr rlim_t kStackNeeded = 4u << 20;

bool EnsureStack() {
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0) return true;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kStackNeeded) return true;
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= kStackNeeded) {
        limit.rlim_cur = kStackNeeded;
        if (setrlimit(RLIMIT_STACK, &limit) == 0) return true;
    }
    std::fprintf(stderr, "velquor: the stack limit is %llu KiB; the fixed-size arrays need %llu KiB (raise it with ulimit -s)\n",
                 static_cast<unsigned long long>(limit.rlim_cur / 1024),
                 static_cast<unsigned long long>(kStackNeeded / 1024));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            PrintVersion();
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintHelp();
            return 0;
        }
        std::fprintf(stderr, "velquor: unknown option '%s' (try --help)\n", argv[i]);
        return 2;
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "velquor: no display: set DISPLAY (X11) or WAYLAND_DISPLAY to start the window\n");
        return 1;
    }
    if (!EnsureStack()) return 1;
    afx::SetResources(res::ProgramResources());
    return afx::WinMain(argc, argv);
}
