// std::vector<int> filled by push_back (into reserved storage, and growing
// inside the timed loop), by at() and by operator[].
#include "Kernels.h"
#include "Protocol.h"
#include "TimedSection.h"

#include <chrono>
#include <vector>

namespace VELQUOR_KERNEL_NAMESPACE {
namespace {

/// count zeros in storage of exactly count elements, so that neither at()
/// nor operator[] can reach a reallocation.
std::vector<int> Zeros(int count) {
    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(0);
    }
    return values;
}

}  // namespace

Measurement FillVectorPushBack(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    Escape(values.data());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values.push_back(i);
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(values.data(), count));
} catch (...) {
    return FailedRun(count);
}

Measurement FillVectorPushBackGrowing(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    // No storage yet: the vector itself escapes, so the storage it grows into does too.
    std::vector<int> values;
    Escape(&values);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values.push_back(i);
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(values.data(), count));
} catch (...) {
    return FailedRun(count);
}

Measurement FillVectorAt(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::vector<int> values = Zeros(count);
    Escape(values.data());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values.at(i) = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(values.data(), count));
} catch (...) {
    return FailedRun(count);
}

Measurement FillVectorIndex(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::vector<int> values = Zeros(count);
    Escape(values.data());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(values.data(), count));
} catch (...) {
    return FailedRun(count);
}

}  // namespace VELQUOR_KERNEL_NAMESPACE
