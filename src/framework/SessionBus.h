// The D-Bus session bus, as Qt's accessibility support asks for it.
#pragma once

namespace afx {

/// Whether asking D-Bus for the session bus can only fail after forking the
/// program: no bus address is set (address is nullptr; an empty one fails at
/// once), the runtime folder holds no "bus", and no folder of the search path
/// (folders separated by ':', an empty entry the working folder) holds a
/// dbus-launch that may be run, the program D-Bus forks to start a bus.
bool SessionBusLaunchCannotSucceed(const char* address, const char* runtimeFolder, const char* searchPath);

/// Qt's accessibility support connects to the session bus as the first
/// control gets its text, and waits for it. Where no bus can be found or
/// started, the fork to dbus-launch and its failure cost the window 2 ms
/// before it shows, every start; here the bus address is set to one that
/// fails at once (and that programs started from this one inherit: they
/// would not have found a bus either). Call it before any thread starts: it
/// changes the environment.
void SkipSessionBusLaunchThatCannotSucceed();

}  // namespace afx
