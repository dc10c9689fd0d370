// Every kernel of the button table, called directly, without a window or Qt:
// what it fills, what its sink receives, and what it refuses; and what the
// global arrays' kernels write and set back.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "bench/VariantComparison.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace {

using Sink = std::optional<CString>;

CString Decimal(long long value) {
    CString text;
    text.Format(L"%lld", value);
    return text;
}

/// What a kernel's sink must hold after filling count elements.
Sink ExpectedSink(const bench::ButtonSpec& b, int count) {
    // The malloc array and the global arrays by name have no sink.
    if (b.kernel == &bench::FillMallocIntArray) return std::nullopt;
    if (b.family == bench::Family::GlobalArrays && b.kernel != &bench::FillGlobalArrayByPointer &&
        b.kernel != &bench::MoveGlobalPointer) {
        return std::nullopt;
    }
    // count - 1 from the count, never from the array.
    if (b.kernel == &bench::FillNewIntArrayByPointer) return Decimal(count - 1);
    // Element 3 x count - 3 of an array of zeros.
    if (b.kernel == &bench::MoveGlobalPointer) return count > 0 ? Sink(L"0") : std::nullopt;
    // The last element, which holds its own index: the value survives every
    // reallocation of the growing vector and the narrow round trip of the
    // char[] and string[] kernels.
    return count > 0 ? Sink(Decimal(count - 1)) : std::nullopt;
}

TEST(KernelTest, EveryKernelFillsItsCountAndSinksItsLastValueOrRefusesANegativeCount) {
    for (const bench::ButtonSpec& b : bench::kButtons) {
        // 1025 and 65537 lie just past a reallocation of the growing vector.
        for (int count : {INT_MIN, -3, 0, 1, 7, 1025, 65537, 100000}) {
            SCOPED_TRACE(std::string(b.name) + " at " + std::to_string(count));
            const bench::Measurement m = b.kernel(count);
            if (count < 0 && b.readsCount) {
                // Refused as a count before anything is allocated or timed, not
                // as a failed allocation of an enormous size.
                ASSERT_FALSE(m.Succeeded());
                EXPECT_EQ(m.error->kind, bench::ErrorKind::CountRefused);
                EXPECT_EQ(m.error->message, "count is negative: " + std::to_string(count));
                EXPECT_EQ(m.elementCount, count);
                EXPECT_EQ(m.elapsed.count(), 0);
                EXPECT_EQ(m.sink, std::nullopt);
                continue;
            }
            ASSERT_TRUE(m.Succeeded()) << m.error->message;
            // The fixed arrays fill their 100000 elements whatever the count.
            const int filled = b.readsCount ? count : bench::kFixedArrayLength;
            EXPECT_EQ(m.elementCount, filled);
            EXPECT_EQ(m.sink, ExpectedSink(b, filled));
        }
    }
}

TEST(KernelTest, AnAllocationThatFailsComesBackAsOutOfMemoryOnEachVariantsRow) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space limit can be set";
#else
    // In a child with 1 GiB of address space, no array of 400 million
    // elements fits (1.6 GB of int, 3.2 GB of strings), nor the store limit's
    // buffer of that size; the growing vector fails inside its loop. The
    // child's exit status names the first kernel that did not report the
    // failure as data (index + 1), or the build comparison that kept a figure.
    constexpr int kTooMany = 400'000'000;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{1ul << 30, 1ul << 30};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(100);
        for (std::size_t i = 0; i < bench::kButtons.size(); ++i) {
            const bench::ButtonSpec& b = bench::kButtons[i];
            if (!b.readsCount || b.family == bench::Family::GlobalArrays) continue;
            const bench::Measurement m = b.kernel(kTooMany);
            if (m.Succeeded() || m.error->kind != bench::ErrorKind::OutOfMemory) _exit(static_cast<int>(i) + 1);
        }
        for (const bench::VariantRun& r : bench::CompareVariants(*bench::FindButton(1000), kTooMany, 3).runs) {
            if (r.available && (!r.error || r.error->kind != bench::ErrorKind::OutOfMemory || r.median || !r.elapsed.empty() ||
                                r.fractionOfLimit)) {
                _exit(101);
            }
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    const int code = WEXITSTATUS(status);
    EXPECT_EQ(code, 0) << (code > 0 && code <= static_cast<int>(bench::kButtons.size())
                               ? std::string(bench::kButtons[static_cast<std::size_t>(code - 1)].name)
                               : code == 101 ? "a variant without the failure, or a figure beside it" : "setrlimit failed");
#endif
}

// The kernels of the four global arrays of 4,000,000 elements and of the two
// pointer buttons. The inspector sees each run while its kernel still holds
// its data, so what a run wrote can be checked before it is set back to 0.
constexpr std::size_t kLength = bench::kGlobalArrayLength;

struct GlobalFill {
    bench::KernelFunction kernel;
    unsigned long long* array;
};
const GlobalFill kFills[] = {
    {&bench::FillGlobalArray<g_stdArray>, g_stdArray.data()},
    {&bench::FillGlobalArray<g_stdArrayInit>, g_stdArrayInit.data()},
    {&bench::FillGlobalArray<g_staticArray>, g_staticArray},
    {&bench::FillGlobalArray<g_staticArrayInit>, g_staticArrayInit},
    {&bench::FillGlobalArrayByPointer, g_staticArray},
};

bool AllZero(const unsigned long long* first, std::size_t n) {
    return std::all_of(first, first + n, [](unsigned long long v) { return v == 0; });
}

std::string Name(bench::KernelFunction kernel) {
    return std::string(bench::FindButton(kernel)->name);
}

class GlobalKernelTest : public ::testing::Test {
protected:
    ~GlobalKernelTest() override { bench::SetInspector(nullptr); }
    void WhileRunning(bench::Inspector inspector) { bench::SetInspector(std::move(inspector)); }
};

TEST_F(GlobalKernelTest, ARunWritesTheIndexesUpToTheCountAndSetsThemBackToZero) {
    constexpr std::size_t kBeyond = 4096;  // elements checked past the count
    bench::FillGlobalArrayByPointer(4);     // a sink a run of 0 must empty
    for (const std::size_t count : {std::size_t(100000), std::size_t(1), std::size_t(0)}) {
        for (const GlobalFill& f : kFills) {
            SCOPED_TRACE(Name(f.kernel) + " at " + std::to_string(count));
            std::size_t wrong = 0;
            bool beyondUntouched = false;
            WhileRunning([&](const bench::Measurement&) {
                for (std::size_t i = 0; i < count; ++i) wrong += f.array[i] != i;
                beyondUntouched = AllZero(f.array + count, kBeyond);
            });
            const bench::Measurement m = f.kernel(static_cast<int>(count));
            EXPECT_EQ(m.elementCount, static_cast<int>(count));
            EXPECT_EQ(wrong, 0u);
            EXPECT_TRUE(beyondUntouched);
            EXPECT_TRUE(AllZero(f.array, count + kBeyond));
        }
    }
    WhileRunning(nullptr);
    // With no element to read, the pointer kernel empties its sink.
    EXPECT_TRUE(g_sinkStrings.empty());
    // Once per array: nothing anywhere was left behind.
    for (const GlobalFill& f : kFills) EXPECT_TRUE(AllZero(f.array, kLength)) << Name(f.kernel);
}

TEST_F(GlobalKernelTest, ThePointerKernelsSinkOneTextAndEveryRunStartsFromTheArraysStart) {
    std::ptrdiff_t moved = -1;
    WhileRunning([&](const bench::Measurement&) { moved = g_pStaticArrayInit - g_staticArrayInit; });
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(bench::MoveGlobalPointer(100000).sink, Sink(L"0"));
        EXPECT_EQ(moved, 200000);
        EXPECT_EQ(bench::FillGlobalArrayByPointer(3 - run).sink, Sink(Decimal(2 - run)));
        EXPECT_EQ(g_sinkStrings, std::vector<CString>{Decimal(2 - run)});
        EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
        EXPECT_EQ(g_pStaticArray, g_staticArray);
    }
}

TEST_F(GlobalKernelTest, ARunThatFailsAfterItsLoopStillRewindsAndZeroes) {
    // The inspector runs after the sink, before the release: a failure there
    // is a failure late in the run.
    WhileRunning([](const bench::Measurement&) { throw std::runtime_error("observer failed"); });
    const bench::Measurement moved = bench::MoveGlobalPointer(7);
    ASSERT_FALSE(moved.Succeeded());
    EXPECT_EQ(moved.error->kind, bench::ErrorKind::Failed);
    EXPECT_EQ(moved.error->message, "observer failed");
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
    for (const GlobalFill& f : kFills) {
        const bench::Measurement m = f.kernel(1000);
        ASSERT_FALSE(m.Succeeded()) << Name(f.kernel);
        // The elements written are 0 again, so the next run starts on zeros.
        EXPECT_TRUE(AllZero(f.array, 1000)) << Name(f.kernel);
    }
}

TEST_F(GlobalKernelTest, CountsUpToTheArraysRunAndLargerOnesAreRefusedBeforeTheClock) {
    for (const GlobalFill& f : kFills) {
        const bench::Measurement m = f.kernel(4000001);
        ASSERT_FALSE(m.Succeeded()) << Name(f.kernel);
        EXPECT_EQ(m.error->kind, bench::ErrorKind::CountRefused);
        EXPECT_EQ(m.error->message, "count is too large: 4000001 (at most 4000000)");
        EXPECT_EQ(m.error->maxCount, 4000000);
    }
    // At its bound the pointer kernel writes, and sinks, the very last element.
    EXPECT_EQ(bench::FillGlobalArrayByPointer(4000000).sink, Sink(L"3999999"));
    EXPECT_TRUE(AllZero(g_staticArray, kLength));
    // The moving pointer's sink reads element 3 x count - 3: at 1333334 the
    // very last one; 1333335 would read element 4000002.
    EXPECT_EQ(bench::MoveGlobalPointer(1333334).sink, Sink(L"0"));
    const bench::Measurement m = bench::MoveGlobalPointer(1333335);
    ASSERT_FALSE(m.Succeeded());
    EXPECT_EQ(m.error->maxCount, 1333334);
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
}

}  // namespace
