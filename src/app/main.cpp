// Program entry: the command line, then the framework's start-up.
#include "batch/Batch.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

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
        "  --variant LIST     build variants of the kernels to run side by side: O0, O2, O3, avx2, or \"all\"\n"
        "                     (those this CPU runs); default: O3, the program's own build\n"
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
    if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) {
        if (!EnsureStack()) return 1;
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
    if (!EnsureStack()) return 1;
    return afx::WinMain(argc, argv);
}
