#include "TestKernels.h"

#include "bench/TimedSection.h"

#include <cstddef>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace testkernels {

namespace {

// As the program's bench::Escape and bench::Clobber.
inline void Escape(const void* p) { asm volatile("" : : "r"(p) : "memory"); }
inline void Clobber() { asm volatile("" : : : "memory"); }

/// count zeros in storage reserved for exactly count, before the clock.
std::vector<int> Zeros(int count) {
    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(0);
    }
    return values;
}

}  // namespace

Result FillNewIntArray(int count) {
    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? array[count - 1] : -1};
}

Result FillVectorAt(int count) {
    std::vector<int> values = Zeros(count);
    Escape(values.data());

    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values.at(static_cast<std::size_t>(i)) = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? values[static_cast<std::size_t>(count - 1)] : -1};
}

Result FillVectorIndex(int count) {
    std::vector<int> values = Zeros(count);
    Escape(values.data());

    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] = i;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? values[static_cast<std::size_t>(count - 1)] : -1};
}

Result FillVectorPushBack(int count) {
    std::vector<int> values;
    Escape(&values);

    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        values.push_back(i);
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? values.back() : -1};
}

Result FillFormattedStrings(int count) {
    std::unique_ptr<std::wstring[]> array(new std::wstring[static_cast<std::size_t>(count)]);
    Escape(array.get());
    wchar_t text[16];

    const auto t0 = std::chrono::system_clock::now();
    VELQUOR_TIMED_BEGIN();
    for (int i = 0; i < count; ++i) {
        std::swprintf(text, std::size(text), L"%d", i);
        array[i] = text;
    }
    Clobber();
    VELQUOR_TIMED_END();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? static_cast<long long>(array[count - 1].size()) : -1};
}

Result FillUnmarked(int count) {
    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    Clobber();
    const auto t1 = std::chrono::system_clock::now();

    return {t1 - t0, count > 0 ? array[count - 1] : -1};
}

}  // namespace testkernels
