// Local arrays of 100,000 int in the kernel's own stack frame (400,000 bytes):
// two std::array zeroed before the clock, one int[] used as it comes. They
// always fill all 100,000 elements and never read the count.
#include "Kernels.h"
#include "Protocol.h"
#include "TimedSection.h"

#include <array>
#include <chrono>
#include <cstring>

namespace VELQUOR_KERNEL_NAMESPACE {
namespace {

// Two buttons run the very same fill under two labels: one body,
// inlined into each button's own kernel.
[[gnu::always_inline]] inline Measurement FillZeroedStdArray() {
    std::array<int, kFixedArrayLength> array;
    std::memset(array.data(), 0, sizeof array);
    Escape(array.data());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < kFixedArrayLength; ++i) {
        array[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(kFixedArrayLength, t1 - t0, cpu1 - cpu0, LastElement(array.data(), kFixedArrayLength));
}

}  // namespace

Measurement FillLocalStdArray(int /*count: not read, always 100000*/) try {
    return FillZeroedStdArray();
} catch (...) {
    return FailedRun(kFixedArrayLength);
}

Measurement FillLocalStdArrayInit(int /*count: not read, always 100000*/) try {
    return FillZeroedStdArray();
} catch (...) {
    return FailedRun(kFixedArrayLength);
}

Measurement FillLocalIntArray(int /*count: not read, always 100000*/) try {
    int array[kFixedArrayLength];
    Escape(array);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < kFixedArrayLength; ++i) {
        array[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(kFixedArrayLength, t1 - t0, cpu1 - cpu0, LastElement(array, kFixedArrayLength));
} catch (...) {
    return FailedRun(kFixedArrayLength);
}

}  // namespace VELQUOR_KERNEL_NAMESPACE
