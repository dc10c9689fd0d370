// The 20 visible benchmark kernels as Google Benchmark cases: an independent
// measurement of the same work that a click times, to check the batch mode's
// numbers against (scripts/compare-reference).
//
// Each case copies its handler's conditions, not its dialog code: the same
// preparation before t0 (allocation, zero fill, element construction), the
// same kernel between two std::chrono::system_clock::now() readings, the same
// bench::Escape before t0 and bench::Clobber after the loop, and after t1 the
// same sink and then the release (there is no window, so no result text). The
// time of t1 - t0 is handed to SetIterationTime (UseManualTime), so nothing
// the library does around the iteration is counted.
//
// One iteration is one click. Everything a handler does happens inside the
// iteration: a fresh allocation, a fresh local array, a fresh text for every
// fill, released before the next one. Iterations(1) with the batch's number of
// repetitions (--benchmark_repetitions=N) then gives N independent fills, as N
// clicks do; running the fill many times inside one timed stretch would
// instead measure a warm steady state no click ever sees (and would time
// the allocation and release in between, or need PauseTiming around them).
//
// The cases are registered in the window's creation order, which is the
// order `velquor --batch` runs its buttons in, so that a run of all of them
// leaves the heap with a similar history when each case starts (glibc moves
// its mmap threshold up after the first large block is freed; see
// docs/trust.md). scripts/compare-reference runs one case per process on
// both sides, which starts every case on a fresh heap.
//
// usage: reference [--count=N] [google benchmark flags]
//   --count=N  elements for the cases that read the count field (default 100000)
// e.g.   reference --benchmark_repetitions=31 --benchmark_format=json
#include "bench/Protocol.h"
#include "framework/AfxString.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

/// Elements of each global array, as in the program.
constexpr int kGlobalArrayLength = 4000000;

// Zero-initialised static storage like the program's global arrays: their
// pages are mapped by the first fill that touches them.
std::array<unsigned long long, kGlobalArrayLength> g_refStdArray;
std::array<unsigned long long, kGlobalArrayLength> g_refStdArrayInit;
unsigned long long g_refStaticArray[kGlobalArrayLength];
unsigned long long g_refStaticArrayInit[kGlobalArrayLength];

using Clock = std::chrono::system_clock;

/// Hands one kernel's t1 - t0 to the library, in seconds.
void Report(benchmark::State& state, Clock::time_point t0, Clock::time_point t1) {
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
}

/// The count field's text, as the handler's text holds it before the kernel.
CString CountText(int count) {
    CString text;
    text.Format(L"%d", count);
    return text;
}

int Count(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

// 1000: int[] from array new, filled by index.
void NewArray(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            array[i] = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        if (count > 0) sink.push_back(array[count - 1]);
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1002: push_back into storage reserved before t0.
void VectorPushBack(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::vector<int> values;
        values.reserve(static_cast<std::size_t>(count));
        bench::Escape(values.data());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            values.push_back(i);
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        if (count > 0) sink.push_back(values[count - 1]);
        bench::Escape(sink.data());
    }
}

// 1004 and 1008 share their preparation: size count, every element 0, no spare capacity.
std::vector<int> ZeroedVector(int count) {
    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(0);
    }
    return values;
}

// 1004: at() on a vector of count zeros.
void VectorAt(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::vector<int> values = ZeroedVector(count);
        bench::Escape(values.data());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            values.at(i) = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        if (count > 0) sink.push_back(values[count - 1]);
        bench::Escape(sink.data());
    }
}

// 1006: push_back into a vector without storage; growth is timed.
void VectorPushBackNoReserve(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::vector<int> values;
        bench::Escape(&values);
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            values.push_back(i);
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        if (count > 0) sink.push_back(values[count - 1]);
        bench::Escape(sink.data());
    }
}

// 1008: operator[] on a vector of count zeros.
void VectorIndex(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::vector<int> values = ZeroedVector(count);
        bench::Escape(values.data());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            values[i] = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        if (count > 0) sink.push_back(values[count - 1]);
        bench::Escape(sink.data());
    }
}

// 1010: CString[] from array new, each index formatted into text and assigned through a walking pointer.
void CStringNewArrayPointer(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        CString* p = array.get();
        for (int i = 0; i < count; ++i) {
            text.Format(L"%d", i);
            *p = text;
            ++p;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<CString> sink;
        CString last;
        if (count > 0) {
            last = array[count - 1];
            sink.push_back(last);
        }
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1012 and 1014: a local std::array<int, 100000>, zeroed before t0.
void StdArray(benchmark::State& state) {
    for (auto _ : state) {
        CString text(L"");
        std::array<int, bench::kFixedArrayLength> array;
        std::memset(array.data(), 0, sizeof array);
        bench::Escape(array.data());
        const auto t0 = Clock::now();
        for (int i = 0; i < bench::kFixedArrayLength; ++i) {
            array[i] = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        sink.push_back(array[bench::kFixedArrayLength - 1]);
        bench::Escape(sink.data());
    }
}

// 1018: int[] from malloc, filled by index.
void MallocArray(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<int[], bench::FreeDeleter> array(
            static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(count))));
        if (array == nullptr && count > 0) {
            state.SkipWithError("malloc failed");
            break;
        }
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            array[i] = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        array.reset();
    }
}

// 1016: CString[] from array new, each index formatted into text and assigned by index.
void CStringNewArray(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            text.Format(L"%d", i);
            array[i] = text;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<CString> sink;
        CString last;
        if (count > 0) {
            last = array[count - 1];
            sink.push_back(last);
        }
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1020: int[] from array new, filled through a walking pointer.
void NewArrayPointer(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        int* p = array.get();
        for (int i = 0; i < count; ++i) {
            *p = i;
            ++p;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        sink.push_back(count - 1);
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1022: a local int[100000], used as it comes.
void IntFixedArray(benchmark::State& state) {
    for (auto _ : state) {
        CString text(L"");
        int array[bench::kFixedArrayLength];
        bench::Escape(array);
        const auto t0 = Clock::now();
        for (int i = 0; i < bench::kFixedArrayLength; ++i) {
            array[i] = i;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<int> sink;
        sink.push_back(array[bench::kFixedArrayLength - 1]);
        bench::Escape(sink.data());
    }
}

// 1024: a local CString[100000] (800,000 bytes of stack), elements constructed before t0.
void CStringFixedArray(benchmark::State& state) {
    for (auto _ : state) {
        CString text(L"");
        CString array[bench::kFixedArrayLength];
        bench::Escape(array);
        const auto t0 = Clock::now();
        for (int i = 0; i < bench::kFixedArrayLength; ++i) {
            text.Format(L"%d", i);
            array[i] = text;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<CString> sink;
        sink.push_back(array[bench::kFixedArrayLength - 1]);
        bench::Escape(sink.data());
    }
}

// 1035: std::string[] from array new; per element a format, a narrowing and a std::string copy.
void StdStringNewArray(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<std::string[]> array(new std::string[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            text.Format(L"%d", i);
            CStringA narrow(text);
            std::string element(narrow.GetString());
            array[i] = element;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<std::string> sink;
        std::string last;
        if (count > 0) {
            last = array[count - 1];
            sink.push_back(last);
        }
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1032: CString[] from array new, each element assigned from a narrow string.
void CharNewArray(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            text.Format(L"%d", i);
            CStringA narrow(text);
            array[i] = narrow.GetString();
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<CString> sink;
        CString last;
        if (count > 0) {
            last = array[count - 1];
            sink.push_back(last);
        }
        bench::Escape(sink.data());
        array.reset();
    }
}

// 1030: as 1032 through a walking pointer, with an untouched char array of count held for the run.
void CharNewArrayPointer(benchmark::State& state) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        std::unique_ptr<char[]> chars(new char[static_cast<std::size_t>(count)]);
        bench::Escape(chars.get());
        std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
        bench::Escape(array.get());
        const auto t0 = Clock::now();
        CString* p = array.get();
        for (int i = 0; i < count; ++i) {
            text.Format(L"%d", i);
            CStringA narrow(text);
            *p = narrow.GetString();
            ++p;
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        std::vector<CString> sink;
        CString last;
        if (count > 0) {
            last = array[count - 1];
            sink.push_back(last);
        }
        bench::Escape(sink.data());
        chars.reset();
        array.reset();
    }
}

// 1037, 1039, 1041, 1043: a global array of 4,000,000 filled from element 0,
// then set back to zero after t1 so that every fill starts on zeros.
template <class Array>
void GlobalArray(benchmark::State& state, Array& global) {
    const int count = Count(state);
    for (auto _ : state) {
        CString text = CountText(count);
        bench::Escape(&global);
        const auto t0 = Clock::now();
        for (int i = 0; i < count; ++i) {
            global[i] = static_cast<unsigned long long>(i);
        }
        bench::Clobber();
        const auto t1 = Clock::now();
        Report(state, t0, t1);
        if (count > 0) std::memset(&global[0], 0, sizeof(unsigned long long) * count);
    }
}

struct Case {
    const char* name;  // button id first: scripts/compare-reference pairs on it
    void (*run)(benchmark::State&);
    bool readsCount;
};

// The window's creation order, which the batch mode runs in.
const Case kCases[] = {
    {"1000/int_new_index", NewArray, true},
    {"1002/vector_push_back_reserved", VectorPushBack, true},
    {"1004/vector_at", VectorAt, true},
    {"1006/vector_push_back_growing", VectorPushBackNoReserve, true},
    {"1008/vector_index", VectorIndex, true},
    {"1010/cstring_new_pointer", CStringNewArrayPointer, true},
    {"1012/std_array_local", StdArray, false},
    {"1014/std_array_local_zeroed", StdArray, false},
    {"1018/int_malloc_index", MallocArray, true},
    {"1016/cstring_new_index", CStringNewArray, true},
    {"1020/int_new_pointer", NewArrayPointer, true},
    {"1022/int_local_array", IntFixedArray, false},
    {"1024/cstring_local_array", CStringFixedArray, false},
    {"1035/std_string_new", StdStringNewArray, true},
    {"1032/char_cstring_new_index", CharNewArray, true},
    {"1030/char_cstring_new_pointer", CharNewArrayPointer, true},
    {"1037/global_std_array", [](benchmark::State& s) { GlobalArray(s, g_refStdArray); }, true},
    {"1039/global_std_array_init", [](benchmark::State& s) { GlobalArray(s, g_refStdArrayInit); }, true},
    {"1041/global_static_array", [](benchmark::State& s) { GlobalArray(s, g_refStaticArray); }, true},
    {"1043/global_static_array_init", [](benchmark::State& s) { GlobalArray(s, g_refStaticArrayInit); }, true},
};

/// Takes --count=N out of the arguments; the rest go to the library.
int TakeCountFlag(int& argc, char** argv) {
    int count = 100000;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--count=", 8) == 0) {
            char* end = nullptr;
            const long value = std::strtol(argv[i] + 8, &end, 10);
            if (*end != '\0' || value < 0 || value > 100000) {
                std::fprintf(stderr, "reference: --count must be 0 to 100000, not '%s'\n", argv[i] + 8);
                std::exit(2);
            }
            count = static_cast<int>(value);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = TakeCountFlag(argc, argv);
    for (const Case& c : kCases) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(c.name, c.run);
        if (c.readsCount) b->Arg(count)->ArgName("count");
        b->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
