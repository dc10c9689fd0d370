// Where a kernel's time goes: the calling thread samples itself with
// perf_event_open (the software task clock, user space only: no hardware
// counters needed, so it works in virtual machines) while the kernel runs
// again and again.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct perf_event_attr;

namespace disasm {

/// The samples of one sampled run.
struct HotProfile {
    /// Why the system refused sampling, in one line; empty when it sampled.
    std::string refusal;
    /// The user-space instruction address of each sample, in the order taken.
    std::vector<std::uint64_t> sampleAddresses;
    /// Samples the kernel dropped because the buffer was full.
    std::uint64_t lostSamples = 0;
    /// How often the callable ran.
    int runs = 0;
    /// Thread CPU time between two samples.
    std::chrono::nanoseconds samplePeriod{0};
};

/// Opens a perf event for the calling thread as perf_event_open(attributes,
/// 0, -1, -1, PERF_FLAG_FD_CLOEXEC) does: a file descriptor, or -1 with errno set.
using PerfEventOpen = int (*)(perf_event_attr& attributes);

/// The system's perf_event_open.
int SystemPerfEventOpen(perf_event_attr& attributes);

/// Runs run again and again, at least once, until duration has passed, and
/// samples the calling thread's user-space instruction address every
/// samplePeriod of its CPU time. Where open fails, run is not called and the
/// profile carries the refusal. Exceptions from run pass through.
HotProfile Sample(const std::function<void()>& run, std::chrono::milliseconds duration,
                  PerfEventOpen open = SystemPerfEventOpen,
                  std::chrono::nanoseconds samplePeriod = std::chrono::microseconds(100));

}  // namespace disasm
