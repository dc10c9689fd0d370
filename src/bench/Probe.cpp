// The machine-speed probe: a short fixed store loop that the batch mode times
// between rounds to see how the machine's speed moves over a run. Not a
// button: it has no field, no caption and no report name.
#include "Kernels.h"
#include "Protocol.h"

#include <array>
#include <chrono>
#include <cstring>

namespace bench {

Measurement ProbeStoreLoop() try {
    // The loop of the fixed-array buttons over a sixth of their length: the
    // same kind of work, in a few microseconds.
    std::array<int, kProbeLength> array;
    std::memset(array.data(), 0, sizeof array);
    Escape(array.data());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < kProbeLength; ++i) {
        array[i] = i;
    }
    Clobber();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(kProbeLength, t1 - t0, cpu1 - cpu0, std::nullopt);
} catch (...) {
    return FailedRun(kProbeLength);
}

}  // namespace bench
