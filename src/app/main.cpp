// Program entry: the command line, then the framework's start-up.
#include "batch/Batch.h"
#include "batch/Options.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

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
    afx::SetResources(res::ProgramResources());
    const auto parsed = batch::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "velquor: %s\n", error->c_str());
        return 2;
    }
    const batch::CommandLine& command = std::get<batch::CommandLine>(parsed);
    switch (command.mode) {
    case batch::Mode::Batch:
        if (!EnsureStack()) return 1;
        return batch::BatchMain(argc, argv, command.options);
    case batch::Mode::List: return batch::ListMain();
    case batch::Mode::Help: std::fputs(batch::HelpText().c_str(), stdout); return 0;
    case batch::Mode::Version: PrintVersion(); return 0;
    case batch::Mode::Window: break;
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "velquor: no display: set DISPLAY (X11) or WAYLAND_DISPLAY to start the window, or use --batch\n");
        return 1;
    }
    if (!EnsureStack()) return 1;
    return afx::WinMain(argc, argv);
}
