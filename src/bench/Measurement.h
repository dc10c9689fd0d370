// What one kernel run measured: the value every kernel returns, whether the
// window, the batch mode or a test called it.
#pragma once

#include "framework/AfxString.h"

#include <chrono>
#include <optional>
#include <string>

namespace bench {

/// Why a kernel did not complete its fill.
enum class ErrorKind {
    /// The count was negative or above what the kernel's array can hold;
    /// nothing was allocated or timed.
    CountRefused,
    /// An allocation failed (the array, the vector's growth, a string's buffer).
    OutOfMemory,
    /// Any other exception.
    Failed,
};

/// A refused or failed run, as data.
struct KernelError {
    ErrorKind kind;
    /// Technical detail in English, for logs and reports ("count is negative: -5").
    std::string message;
    /// For CountRefused: the largest count this kernel accepts.
    int maxCount = 0;
};

/// One timed fill.
struct Measurement {
    /// t1 - t0 of the system clock around the fill loop, in the clock's own
    /// ticks (nanoseconds with glibc), before any rounding.
    std::chrono::system_clock::duration elapsed{};
    /// CPU time of this thread from just before t0 to just after t1: the
    /// section and about one reading of the CPU clock, a system call
    /// (bench/Protocol.h); far less than elapsed where the thread was switched out.
    std::chrono::nanoseconds threadCpuTime{};
    /// How long this thread did not run (another thread, the host or an
    /// interrupt had its core) from just before t0 to just after t1: the
    /// system clock's time over the CPU clock's readings less the CPU time.
    /// Within a few tenths of a microsecond of 0 when it ran throughout.
    std::chrono::nanoseconds offCpuTime{};
    /// Elements the kernel filled: the count it was given, or its fixed 100000.
    int elementCount = 0;
    /// The value the sink received, as decimal text; none when nothing was sunk.
    std::optional<CString> sink;
    /// Set when the kernel refused the count or failed; elapsed and sink are then empty.
    std::optional<KernelError> error;

    bool Succeeded() const { return !error.has_value(); }
};

/// A benchmark kernel: fills its array with count elements (or its fixed
/// number) and reports what that cost.
using KernelFunction = Measurement (*)(int count);

}  // namespace bench
