// The program's start-up, from main until its first window is up: failures
// that Qt cannot survive end the program with one line, not a crash.
#pragma once

#include <cstddef>
#include <string>

namespace afx {

/// From here until EndStartup, an allocation that fails, an exception nobody
/// catches and Qt's fatal errors end the program with one line on standard
/// error and exit status 1: nothing is running yet that could be saved, and
/// Qt's code cannot unwind cleanly. For the whole run, a std::bad_alloc that
/// nobody catches (one from inside Qt) ends it the same way.
void BeginStartup();
/// The program is up: allocation failures throw again, for whoever asked for
/// the memory to handle. Does nothing outside start-up.
void EndStartup();
/// True between BeginStartup and EndStartup.
bool InStartup();
/// Writes "velquor: " and the first line of the text, and ends the process
/// with exit status 1 at once, without running destructors or allocating memory.
[[noreturn]] void StartupFailed(const char* text);
/// An empty folder that StartupFailed removes before the process ends, as
/// no destructor will; nullptr forgets it. The text must outlive the call.
void RemoveOnFailure(const char* folder);

/// Why the address-space limit (ulimit -v) is too small to start: the
/// address space in use now plus the headroom that starting needs. Empty
/// when it is large enough or unlimited.
std::string AddressSpaceProblem(std::size_t headroomBytes);

/// Why the window cannot open on the X display that DISPLAY names, as what
/// that display "is not" or "cannot" do ("cannot be opened: ..."): empty when
/// it can, or when Qt is set to use another platform. The caller names the
/// display, as it names any text a user gave. When it can, the connection
/// that found so stays open until CloseDisplayCheck, so that the X server is
/// never left without a client before Qt connects.
std::string DisplayProblem();
/// Closes the connection DisplayProblem kept open; call it once Qt has its
/// own. Does nothing when none is open.
void CloseDisplayCheck();

}  // namespace afx
