// Program entry: the command line, then the framework's start-up.
#include "batch/Batch.h"
#include "framework/Startup.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <pthread.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

void PrintHelp() {
    std::printf(
        "velquor                      starts the window\n"
        "velquor --batch [OPTIONS]    runs buttons without a window and reports\n"
        "  --buttons LIST     button ids separated by commas, or \"all\"; default: the 20 visible buttons\n"
        "                     (1053 and 1055 run only when named)\n"
        "  --count TEXT       text pasted into the count field before the runs; default: the field's own \"100000\"\n"
        "  --repetitions N    clicks per button, 1 to 10000; default 11\n"
        "  --format F         table (default), csv or json\n"
        "  --output FILE      write the report to FILE instead of standard output\n"
        "  --plot FILE        also draw a bar chart of the results as a PNG image\n"
        "                     (a file is replaced whole, a character device or FIFO written through;\n"
        "                     checked before the run)\n"
        "velquor --list       one line per button, all 22 (hidden ones marked): id, caption, whether it reads the count field\n"
        "velquor --help, velquor --version\n"
        "\n"
        "Exit status of --batch: 0 when every run succeeded, 1 when a run failed, 2 for bad arguments\n"
        "or an output that cannot be written (the cause is printed).\n");
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

// The C library sized every later thread's stack from the soft limit the
// program started with; threads that Qt and the font configuration start
// overflow a small one. They get what they would have had with the raised
// limit. Called before any thread exists.
void RaiseThreadStacks() {
    pthread_attr_t defaults;
    if (pthread_getattr_default_np(&defaults) != 0) return;
    std::size_t size = 0;
    if (pthread_attr_getstacksize(&defaults, &size) == 0 && size < kStackNeeded) {
        pthread_attr_setstacksize(&defaults, kStackNeeded);
        pthread_setattr_default_np(&defaults);
    }
    pthread_attr_destroy(&defaults);
}

bool EnsureStack() {
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0) return true;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kStackNeeded) return true;
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= kStackNeeded) {
        limit.rlim_cur = kStackNeeded;
        if (setrlimit(RLIMIT_STACK, &limit) == 0) {
            RaiseThreadStacks();
            return true;
        }
    }
    std::fprintf(stderr, "velquor: the stack limit is %llu KiB; the fixed-size arrays need %llu KiB (raise it with ulimit -s)\n",
                 static_cast<unsigned long long>(limit.rlim_cur / 1024),
                 static_cast<unsigned long long>(kStackNeeded / 1024));
    return false;
}

// What starting needs beyond the address space in use when main begins
// (the libraries and the global arrays, about 200 MiB): the window's threads
// and X buffers need about 60 MiB, the batch mode about 15 MiB; the rest is
// margin for other fonts and libraries.
constexpr std::size_t kWindowHeadroom = std::size_t(96) << 20;
constexpr std::size_t kBatchHeadroom = std::size_t(48) << 20;

bool EnsureAddressSpace(std::size_t headroom) {
    const std::string problem = afx::AddressSpaceProblem(headroom);
    if (problem.empty()) return true;
    std::fprintf(stderr, "velquor: %s\n", problem.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    afx::BeginStartup();
    afx::SetResources(res::ProgramResources());
    if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) {
        if (!EnsureStack() || !EnsureAddressSpace(kBatchHeadroom)) return 1;
        return batch::BatchMain(argc, argv, std::vector<std::string>(argv + 2, argv + argc));
    }
    if (argc > 1) {
        if (argc > 2) {
            std::fprintf(stderr, "velquor: unexpected argument '%s' (try --help)\n", argv[2]);
            return 2;
        }
        if (std::strcmp(argv[1], "--version") == 0) {
            PrintVersion();
            return 0;
        }
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[1], "--list") == 0) return batch::ListMain();
        std::fprintf(stderr, "velquor: unknown option '%s' (try --help)\n", argv[1]);
        return 2;
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "velquor: no display: set DISPLAY (X11) or WAYLAND_DISPLAY to start the window, or use --batch\n");
        return 1;
    }
    if (!EnsureStack() || !EnsureAddressSpace(kWindowHeadroom)) return 1;
    if (const std::string problem = afx::DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "velquor: %s\n", problem.c_str());
        return 1;
    }
    return afx::WinMain(argc, argv);
}
