// Program entry: the command line, then the framework's start-up.
#include "batch/Batch.h"
#include "batch/Disasm.h"
#include "batch/Options.h"
#include "batch/SweepMode.h"
#include "batch/OutputFile.h"
#include "batch/Text.h"
#include "framework/Startup.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace {

std::string Narrow(const wchar_t* text) {
    return std::string(CStringA(text).GetString());
}

void PrintVersion(std::ostream& out) {
    const afx::VersionInfo& v = res::ProgramVersion();
    out << "velquor " << v.fileVersion[0] << '.' << v.fileVersion[1] << '.' << v.fileVersion[2] << '.' << v.fileVersion[3]
        << '\n';
    for (const afx::VersionString& s : v.strings) {
        std::string key = Narrow(s.key);
        key.resize(std::max<std::size_t>(key.size(), 16), ' ');
        out << "  " << key << ' ' << Narrow(s.value) << '\n';
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

// Raises the soft stack limit to kStackNeeded where it is lower and the hard
// limit allows; false when the stack stays too small. Done first in main:
// parsing the command line already needs more than the smallest limits.
bool RaiseStack() {
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
    return false;
}

/// The modes that run kernels need the stack; true when they have it.
bool EnsureStack(bool raised) {
    if (raised) return true;
    rlimit limit{};
    getrlimit(RLIMIT_STACK, &limit);
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

int RunWithoutWindow(const batch::CommandLine& command, bool stackRaised, int& argc, char** argv) {
    std::ostream& out = batch::StandardOutput();
    switch (command.mode) {
    case batch::Mode::Batch:
        if (!EnsureStack(stackRaised) || !EnsureAddressSpace(kBatchHeadroom)) return 1;
        // Started: from here a kernel's failed allocation is the kernel's to
        // report, as a failed click, not the end of the program.
        afx::EndStartup();
        return batch::BatchMain(argc, argv, command.options);
    case batch::Mode::Sweep:
        if (!EnsureStack(stackRaised) || !EnsureAddressSpace(kBatchHeadroom)) return 1;
        afx::EndStartup();
        return batch::SweepMain(argc, argv, command.options);
    case batch::Mode::Disasm:
        // --hot runs the kernels, and needs what the batch mode needs.
        if (command.disasm.hot && (!EnsureStack(stackRaised) || !EnsureAddressSpace(kBatchHeadroom))) return 1;
        // A listing or a kernel that runs out of memory is told in its place.
        afx::EndStartup();
        return batch::DisasmMain(command.disasm, out);
    case batch::Mode::List: return batch::ListMain(out);
    case batch::Mode::Help: out << batch::HelpText(); return 0;
    case batch::Mode::Version: PrintVersion(out); return 0;
    case batch::Mode::Window: break;
    }
    return 0;
}

// The libraries' static initializers run before main, and Qt's allocate:
// under an address-space limit they may be the first to run out of it. The
// C library calls this ahead of them all, so that such a failure, too, ends
// in one line rather than an abort.
void GuardStartup(int, char**, char**) {
    afx::BeginStartup();
}
[[gnu::used, gnu::section(".preinit_array")]] void (*g_guardStartup)(int, char**, char**) = GuardStartup;

}  // namespace

int main(int argc, char** argv) {
    const bool stackRaised = RaiseStack();
    afx::SetResources(res::ProgramResources());
    // Without arguments: the window. Building the parser to say so took a
    // fifth of a millisecond of the window's start.
    const auto parsed = argc <= 1 ? std::variant<batch::CommandLine, std::string>(batch::CommandLine{})
                                  : batch::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "velquor: %s\n", error->c_str());
        return 2;
    }
    const batch::CommandLine& command = std::get<batch::CommandLine>(parsed);
    if (command.mode != batch::Mode::Window) {
        // Every mode but the window prints, through one checked standard output.
        batch::ReserveStandardStreams();
        return batch::FinishStandardOutput(RunWithoutWindow(command, stackRaised, argc, argv));
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "velquor: no display: set DISPLAY (X11) or WAYLAND_DISPLAY to start the window, or use --batch\n");
        return 1;
    }
    if (!EnsureStack(stackRaised) || !EnsureAddressSpace(kWindowHeadroom)) return 1;
    if (const std::string problem = afx::DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "velquor: the display %s %s (set DISPLAY to a running X server, or use --batch)\n",
                     batch::Quoted(std::string_view(std::getenv("DISPLAY"))).c_str(), problem.c_str());
        return 1;
    }
    return afx::WinMain(argc, argv);
}
