// Heap arrays whose length is the count: int arrays from array new (by index
// and through a walking pointer) and from malloc, and CString arrays filled
// through narrow strings.
#include "Kernels.h"
#include "Protocol.h"
#include "TimedSection.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace VELQUOR_KERNEL_NAMESPACE {

Measurement FillNewIntArray(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    Escape(array.get());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    std::vector<int> sink;
    if (count > 0) sink.push_back(array[count - 1]);
    return Completed(count, t1 - t0, cpu1 - cpu0, SinkText(sink));
} catch (...) {
    return FailedRun(count);
}

Measurement FillMallocIntArray(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<int[], FreeDeleter> array(static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(count))));
    // The fill needs the block; an empty one may come back as a null pointer.
    if (array == nullptr && count > 0) throw std::bad_alloc();
    Escape(array.get());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, std::nullopt);
} catch (...) {
    return FailedRun(count);
}

Measurement FillNewIntArrayByPointer(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    Escape(array.get());

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    int* p = array.get();
    for (int i = 0; i < count; ++i) {
        *p = i;
        ++p;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    // The value the kernel stored last, from the count alone: -1 for an empty
    // array, whose elements are never read.
    std::vector<int> sink;
    sink.push_back(count - 1);
    return Completed(count, t1 - t0, cpu1 - cpu0, SinkText(sink));
} catch (...) {
    return FailedRun(count);
}

Measurement FillCharStringArrayByPointer(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    // The pointer variant also holds a char array of count elements for the
    // whole run; nothing reads or writes it.
    std::unique_ptr<char[]> chars(new char[static_cast<std::size_t>(count)]);
    Escape(chars.get());
    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    Escape(array.get());
    CString text = ScratchText(count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    CString* p = array.get();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        *p = narrow.GetString();
        ++p;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(array.get(), count));
} catch (...) {
    return FailedRun(count);
}

Measurement FillCharStringArray(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    Escape(array.get());
    CString text = ScratchText(count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        array[i] = narrow.GetString();
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(array.get(), count));
} catch (...) {
    return FailedRun(count);
}

}  // namespace VELQUOR_KERNEL_NAMESPACE
