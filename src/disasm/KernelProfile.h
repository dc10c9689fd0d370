// Where a benchmark kernel's time goes: the kernel runs again and again
// through the very function a click runs, the thread samples itself, and the
// samples are set against the kernel's listing. The window's box and the
// command line both sample this way.
#pragma once

#include "HotSpots.h"
#include "Listing.h"
#include "Sampler.h"
#include "bench/Measurement.h"

#include <chrono>

namespace disasm {

/// How long a kernel is sampled: long enough for a few thousand samples, short
/// enough that the window is busy no longer than a slow click keeps it.
inline constexpr std::chrono::milliseconds kHotDuration{500};

/// Replaces the perf_event_open that ProfileKernel opens its event with (a
/// test's refusing one); returns the one it replaced.
PerfEventOpen SetPerfEventOpen(PerfEventOpen open);

/// Runs kernel(count) once; when that run succeeds, runs it again and again
/// for duration while sampling, and attributes the samples to listing. Where
/// the first run fails, the system refuses sampling or memory runs out while
/// sampling, the shares carry the one line that says why and nothing else.
HotShares ProfileKernel(const Listing& listing, bench::KernelFunction kernel, int count,
                        std::chrono::milliseconds duration = kHotDuration);

}  // namespace disasm
