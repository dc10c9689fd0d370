#include "Startup.h"

#include <xcb/xcb.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

namespace afx {
namespace {

bool g_inStartup = false;
std::terminate_handler g_previousTerminate = nullptr;
const char* g_removeOnFailure = nullptr;
// The connection that DisplayProblem opened, held until Qt has its own: an X
// server with no other client resets itself when the last one disconnects,
// and a client that connects during the reset waits tens of milliseconds for
// it, or is dropped.
xcb_connection_t* g_displayCheck = nullptr;

// write(2) needs no memory, which is what may have run out.
void Write(const char* text, std::size_t length) {
    [[maybe_unused]] const ssize_t written = ::write(2, text, length);
}

void Write(const char* text) {
    Write(text, std::strlen(text));
}

// "velquor: ", the prefix, the first line of the text (the cause, not the
// advice that may follow it), then exit status 1 without running destructors.
[[noreturn]] void Fail(const char* prefix, const char* text) {
    if (g_removeOnFailure) ::rmdir(g_removeOnFailure);
    Write("velquor: ");
    Write(prefix);
    const char* end = std::strchr(text, '\n');
    Write(text, end ? static_cast<std::size_t>(end - text) : std::strlen(text));
    Write("\n");
    std::_Exit(1);
}

void OutOfMemory() {
    Fail("", "out of memory while starting (raise the address-space limit, ulimit -v)");
}

// A std::bad_alloc that leaves Qt's code (which is built without exception
// handling) ends here rather than in an abort, and so does any exception
// while the program starts.
void Uncaught() {
    try {
        if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const std::bad_alloc&) {
        Fail("", "out of memory (raise the address-space limit, ulimit -v)");
    } catch (const std::exception& e) {
        if (g_inStartup) Fail("could not start: ", e.what());
    } catch (...) {
    }
    if (g_previousTerminate) g_previousTerminate();
    std::abort();
}

}  // namespace

void StartupFailed(const char* text) {
    Fail("", text);
}

void RemoveOnFailure(const char* folder) {
    g_removeOnFailure = folder;
}

void BeginStartup() {
    g_inStartup = true;
    std::set_new_handler(OutOfMemory);
    g_previousTerminate = std::set_terminate(Uncaught);
}

void EndStartup() {
    if (!g_inStartup) return;
    g_inStartup = false;
    std::set_new_handler(nullptr);
}

bool InStartup() {
    return g_inStartup;
}

std::string AddressSpaceProblem(std::size_t headroomBytes) {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return {};
    // The first field of statm is the address space in use, in pages; it
    // already holds the program's libraries and its global arrays.
    std::size_t usedPages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu", &usedPages) != 1) usedPages = 0;
        std::fclose(statm);
    }
    const std::size_t needed = usedPages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + headroomBytes;
    if (limit.rlim_cur >= needed) return {};
    constexpr std::size_t kMiB = std::size_t(1) << 20;
    return "the address-space limit is " + std::to_string(limit.rlim_cur / kMiB) + " MiB; starting needs about " +
           std::to_string((needed + kMiB - 1) / kMiB) + " MiB (raise it with ulimit -v)";
}

std::string DisplayProblem() {
    // Qt chooses Wayland where a compositor is named, or whatever
    // QT_QPA_PLATFORM names; only an X display is checked here.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0) return {};
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland && !platform) return {};
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return {};
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    int error = xcb_connection_has_error(connection);
    if (error == 0 && screen >= xcb_setup_roots_length(xcb_get_setup(connection))) {
        error = XCB_CONN_CLOSED_INVALID_SCREEN;
    }
    if (error == 0) {
        g_displayCheck = connection;
        return {};
    }
    xcb_disconnect(connection);
    switch (error) {
    case XCB_CONN_CLOSED_PARSE_ERR: return "is not a display name";
    case XCB_CONN_CLOSED_INVALID_SCREEN: return "names a screen the display does not have";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT: return "could not be opened: out of memory";
    default: return "cannot be opened: no X server answers there, or it refuses the connection";
    }
}

void CloseDisplayCheck() {
    if (g_displayCheck) xcb_disconnect(g_displayCheck);
    g_displayCheck = nullptr;
}

}  // namespace afx
