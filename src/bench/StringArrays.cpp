// Arrays of strings filled with the decimal text of each index: CString arrays
// from array new (through a walking pointer and by index), a local
// CString[100000], and a std::string array from array new.
//
// Each index is formatted into the kernel's one scratch CString, text, so that
// no formatting string is created per element.
#include "Kernels.h"
#include "Protocol.h"
#include "TimedSection.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace VELQUOR_KERNEL_NAMESPACE {
Measurement FillCStringArrayByPointer(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    Escape(array.get());
    CString text = ScratchText(count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    CString* p = array.get();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        *p = text;
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

Measurement FillCStringArray(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    Escape(array.get());
    CString text = ScratchText(count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        array[i] = text;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(count, t1 - t0, cpu1 - cpu0, LastElement(array.get(), count));
} catch (...) {
    return FailedRun(count);
}

Measurement FillLocalCStringArray(int /*count: not read, always 100000*/) try {
    // The window does not read the count field for this button, so its
    // scratch string starts out empty.
    CString text;
    // 800,000 bytes of the calling thread's stack.
    CString array[kFixedArrayLength];
    Escape(array);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < kFixedArrayLength; ++i) {
        text.Format(L"%d", i);
        array[i] = text;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();
    const auto cpu1 = CpuClockAfterSection();

    return Completed(kFixedArrayLength, t1 - t0, cpu1 - cpu0, LastElement(array, kFixedArrayLength));
} catch (...) {
    return FailedRun(kFixedArrayLength);
}

Measurement FillStdStringArray(int count) try {
    if (auto refused = RefuseCount(count)) return *refused;
    std::unique_ptr<std::string[]> array(new std::string[static_cast<std::size_t>(count)]);
    Escape(array.get());
    CString text = ScratchText(count);

    const auto cpu0 = CpuClockBeforeSection();
    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        std::string element(narrow.GetString());
        array[i] = element;
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
