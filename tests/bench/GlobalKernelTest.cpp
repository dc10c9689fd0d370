// The kernels of the four global arrays of 4,000,000 elements and of the two
// pointer buttons. The inspector sees each run while its kernel still holds
// its data, so what a run wrote can be checked before it is set back to 0.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace {

using Sink = std::optional<CString>;

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
            if (count == 0) {
                EXPECT_EQ(m.sink, std::nullopt);
            }
        }
    }
    WhileRunning(nullptr);
    // With no element to read, the pointer kernels empty their sink.
    EXPECT_TRUE(g_sinkStrings.empty());
    EXPECT_EQ(bench::MoveGlobalPointer(0).sink, std::nullopt);
    EXPECT_TRUE(g_sinkStrings.empty());
    // Once per array: nothing anywhere was left behind.
    EXPECT_TRUE(AllZero(g_stdArray.data(), kLength));
    EXPECT_TRUE(AllZero(g_stdArrayInit.data(), kLength));
    EXPECT_TRUE(AllZero(g_staticArray, kLength));
    EXPECT_TRUE(AllZero(g_staticArrayInit, kLength));
}

TEST_F(GlobalKernelTest, ThePointerRunStartsOnZerosAfterARunByNameAndSinksOneText) {
    bench::FillGlobalArray<g_staticArray>(5);
    EXPECT_TRUE(AllZero(g_staticArray, 16));
    bool startedOnZeros = false;
    WhileRunning([&](const bench::Measurement&) { startedOnZeros = AllZero(g_staticArray + 3, 13); });
    EXPECT_EQ(bench::FillGlobalArrayByPointer(3).sink, Sink(L"2"));
    EXPECT_TRUE(startedOnZeros);
    EXPECT_EQ(g_sinkStrings, std::vector<CString>{CString(L"2")});
    EXPECT_TRUE(AllZero(g_staticArray, 16));
    // A second run again leaves exactly one string, its own.
    EXPECT_EQ(bench::FillGlobalArrayByPointer(1).sink, Sink(L"0"));
    EXPECT_EQ(g_sinkStrings, std::vector<CString>{CString(L"0")});
    EXPECT_EQ(g_pStaticArray, g_staticArray);
}

TEST_F(GlobalKernelTest, TheMovingPointerReadsAZeroAndIsBackAtTheStartAfterEveryRun) {
    std::ptrdiff_t moved = -1;
    WhileRunning([&](const bench::Measurement&) { moved = g_pStaticArrayInit - g_staticArrayInit; });
    EXPECT_EQ(bench::MoveGlobalPointer(100000).sink, Sink(L"0"));
    EXPECT_EQ(moved, 200000);
    EXPECT_EQ(g_sinkStrings, std::vector<CString>{CString(L"0")});
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
    EXPECT_TRUE(AllZero(g_staticArrayInit, 300000));

    // Were the pointer left where the run moved it, the twentieth run would
    // already read past the array.
    WhileRunning(nullptr);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(bench::MoveGlobalPointer(100000).sink, Sink(L"0")) << "run " << i;
        ASSERT_EQ(g_pStaticArrayInit, g_staticArrayInit) << "run " << i;
    }
    EXPECT_EQ(g_sinkStrings.size(), 1u);
}

TEST_F(GlobalKernelTest, ARunThatFailsAfterItsLoopStillRewindsAndZeroes) {
    // The inspector runs after the sink, before the release: a failure there
    // is a failure late in the run.
    WhileRunning([](const bench::Measurement&) { throw std::runtime_error("observer failed"); });
    const bench::Measurement moved = bench::MoveGlobalPointer(7);
    ASSERT_FALSE(moved.Succeeded());
    EXPECT_EQ(moved.error->kind, bench::ErrorKind::Failed);
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
    // At its bound the pointer kernel writes the very last element.
    unsigned long long last = 0;
    WhileRunning([&](const bench::Measurement&) { last = g_staticArray[kLength - 1]; });
    EXPECT_EQ(bench::FillGlobalArrayByPointer(4000000).sink, Sink(L"3999999"));
    EXPECT_EQ(last, 3999999u);
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
