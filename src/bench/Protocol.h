// What the kernels share outside their timed sections: refusing a count,
// keeping the optimiser from moving or dropping a kernel's stores, reading the
// thread's CPU clock, and turning the readings, a sink or an exception into a
// Measurement.
//
// Each kernel reads the system clock itself, immediately around its own loop;
// nothing here is called between t0 and t1 except Clobber().
#pragma once

#include "Measurement.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bench {

/// Elements of each fixed local array.
inline constexpr int kFixedArrayLength = 100000;

/// A refusal when count is negative or above maxCount, before anything is
/// allocated or timed: array new, malloc and reserve would turn a negative
/// count into an enormous size, the others would time a loop that does nothing.
std::optional<Measurement> RefuseCount(int count, int maxCount = INT_MAX);

/// The string kernels' scratch string as the window hands it over: holding
/// the count's text, so that its buffer exists before t0 and the loop formats
/// each index into it in place, as into the count field's text.
CString ScratchText(int count);

/// This thread's CPU clock (CLOCK_THREAD_CPUTIME_ID) as a kernel reads it
/// around its timed section, with the system clock read just before it:
///
///     cpu0 = CpuClockBeforeSection(); t0 = now(); <loop> t1 = now(); cpu1 = CpuClockAfterSection();
///
/// The wall-clock pair t0, t1 is the click's result and encloses only the
/// loop. The CPU clock has no user-space reading here (the perf page offers
/// no user time in these virtual machines): each reading is a system call of
/// about 0.36 us, against 0.02 us for the system clock, so read inside t0 and
/// t1 it would add two system calls to every result, and a count-0 click
/// would show 0.7 us instead of 0.02. Read outside, the CPU time takes in
/// what lies between its readings and the wall clock's: about one reading of
/// the CPU clock. So threadCpuTime <= elapsed + one CPU-clock reading, for a
/// click whose thread was not switched out.
///
/// A system call's return is where the kernel switches out a thread that
/// has used up its time. The reading before the section therefore reads the
/// CPU clock twice: a pending switch happens at the first one's return,
/// before anything is measured, instead of right before t0 where its way
/// back would count as the click's CPU time. Then the system clock read just
/// before each kept CPU-clock reading gives offCpuTime: the system clock
/// less the CPU time between them, the time the thread did not run.
struct CpuClockReading {
    std::chrono::system_clock::time_point wall;
    std::chrono::nanoseconds cpu{};
};
CpuClockReading CpuClockBeforeSection() noexcept;
CpuClockReading CpuClockAfterSection() noexcept;

/// Between two readings: the thread's CPU time, and the system clock's time.
struct ThreadTime {
    std::chrono::nanoseconds cpu{};
    std::chrono::nanoseconds wall{};
};
inline ThreadTime operator-(const CpuClockReading& later, const CpuClockReading& earlier) {
    return {later.cpu - earlier.cpu, std::chrono::duration_cast<std::chrono::nanoseconds>(later.wall - earlier.wall)};
}

/// A completed run. Kernels call it after their sink and before they release
/// their data, so the inspector (below) still sees what the loop wrote.
Measurement Completed(int elementCount, std::chrono::system_clock::duration elapsed, ThreadTime threadTime,
                      std::optional<CString> sink);

/// Inside a catch block: the exception in flight as a failed run of count elements.
Measurement FailedRun(int count);

/// The sink's one value as text; none for an empty sink.
std::optional<CString> SinkText(const std::vector<int>& sink);
std::optional<CString> SinkText(const std::vector<CString>& sink);
std::optional<CString> SinkText(const std::vector<std::string>& sink);

/// The sink of the kernels that read their array back: a copy of the last
/// element, taken into a local and pushed into a one-element vector; none for
/// an empty array, which has no last element.
template <class String>
std::optional<CString> LastElement(const String* array, int count) {
    std::vector<String> sink;
    String last{};
    if (count > 0) {
        last = array[count - 1];
        sink.push_back(last);
    }
    return SinkText(sink);
}

/// Called with every completed measurement while the kernel still holds its
/// data (global arrays still hold the values written). For tests; empty by default.
using Inspector = std::function<void(const Measurement&)>;
void SetInspector(Inspector inspector);

/// Makes the memory at p reachable by code the compiler cannot see, so the
/// stores a kernel makes into it must really happen, and between the two
/// clock readings. Costs no instruction. Call it before t0, never in a loop.
/// The pointer is not const: the unseen code may write there too, and an
/// array used as it comes (int[100000]) is not read as uninitialised.
inline void Escape(void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

/// Tells the compiler that every escaped object may be read here: the
/// kernel's stores are complete before the second clock reading.
inline void Clobber() {
    asm volatile("" : : : "memory");
}

/// Releases a malloc block.
struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

}  // namespace bench
