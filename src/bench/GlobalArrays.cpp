// The four global arrays of 4,000,000 unsigned 64-bit elements, filled by name
// and through the two global pointers. Every run that writes elements sets
// them back to 0 before it returns, so each run starts on zeros.
//
// The count field keeps values at or below 100000, but a caller may pass any
// count: one the arrays cannot hold is refused before the clock starts.
#include "GlobalData.h"
#include "Kernels.h"
#include "Protocol.h"
#include "TimedSection.h"

#include <chrono>
#include <cstddef>
#include <cstring>

namespace VELQUOR_KERNEL_NAMESPACE {
namespace {

/// Sets the elements a run wrote back to 0 when the run ends, however it
/// ends: a failed sink must not leave values behind for the next run.
class ZeroOnExit {
public:
    ZeroOnExit(unsigned long long* first, int count) : m_first(first), m_count(count) {}
    ZeroOnExit(const ZeroOnExit&) = delete;
    ZeroOnExit& operator=(const ZeroOnExit&) = delete;
    ~ZeroOnExit() {
        if (m_count > 0) std::memset(m_first, 0, sizeof(unsigned long long) * static_cast<std::size_t>(m_count));
    }

private:
    unsigned long long* m_first;
    int m_count;
};

}  // namespace

template <auto& Array>
Measurement FillGlobalArray(int count) try {
    if (auto refused = RefuseCount(count, kGlobalArrayLength)) return *refused;
    Escape(&Array);
    const ZeroOnExit reset(&Array[0], count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        Array[i] = static_cast<unsigned long long>(i);
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, std::nullopt);
} catch (...) {
    return FailedRun(count);
}

template Measurement FillGlobalArray<g_stdArray>(int);
template Measurement FillGlobalArray<g_stdArrayInit>(int);
template Measurement FillGlobalArray<g_staticArray>(int);
template Measurement FillGlobalArray<g_staticArrayInit>(int);

namespace {

/// Empties g_sinkStrings and gives it the decimal text of *element; with no
/// element (a count of 0, whose element would lie before the array) it stays empty.
std::optional<CString> SinkGlobalElement(const unsigned long long* element) {
    g_sinkStrings.clear();
    if (element != nullptr) {
        CString value;
        value.Format(L"%llu", *element);
        g_sinkStrings.push_back(value);
    }
    return SinkText(g_sinkStrings);
}

}  // namespace

Measurement FillGlobalArrayByPointer(int count) try {
    if (auto refused = RefuseCount(count, kGlobalArrayLength)) return *refused;
    Escape(g_pStaticArray);
    const ZeroOnExit reset(g_pStaticArray, count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        g_pStaticArray[i] = static_cast<unsigned long long>(i);
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    std::optional<CString> sink = SinkGlobalElement(count > 0 ? &g_pStaticArray[count - 1] : nullptr);
    return Completed(count, t1 - t0, cpu1 - cpu0, std::move(sink));
} catch (...) {
    return FailedRun(count);
}

Measurement MoveGlobalPointer(int count) try {
    // The sink reads element 3 x count - 3 of g_staticArrayInit; the count is
    // bounded so that this read, and the move of 2 x count, stay inside it.
    if (auto refused = RefuseCount(count, kMovingPointerMaxCount)) return *refused;
    Escape(&g_pStaticArrayInit);

    // The pointer goes back to the first element of g_staticArrayInit when the
    // run ends, also when it ends by an exception, so every run starts there.
    struct RewindPointer {
        ~RewindPointer() { g_pStaticArrayInit = g_staticArrayInit; }
    } rewindPointer;

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    g_pStaticArrayInit += 2 * static_cast<std::ptrdiff_t>(count);
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    std::optional<CString> sink = SinkGlobalElement(count > 0 ? &g_pStaticArrayInit[count - 3] : nullptr);
    return Completed(count, t1 - t0, cpu1 - cpu0, std::move(sink));
} catch (...) {
    return FailedRun(count);
}

}  // namespace VELQUOR_KERNEL_NAMESPACE
