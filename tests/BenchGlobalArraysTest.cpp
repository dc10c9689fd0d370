// The four global arrays of 4,000,000 elements and the two pointer buttons.
// The record reaches the test while the handler still holds its data, so the
// contents a run wrote can be checked before the handler sets them back to 0.
#include "BenchFixture.h"
#include "bench/GlobalData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace {

using benchtest::BenchTest;
using Sink = std::optional<CString>;

constexpr std::size_t kLength = bench::kGlobalArrayLength;

struct GlobalButton {
    int id;
    unsigned long long* array;
};
const GlobalButton kFillButtons[] = {
    {1037, g_stdArray.data()}, {1039, g_stdArrayInit.data()}, {1041, g_staticArray},
    {1043, g_staticArrayInit}, {1053, g_staticArray},
};

bool AllZero(const unsigned long long* first, std::size_t n) {
    return std::all_of(first, first + n, [](unsigned long long v) { return v == 0; });
}

class BenchGlobalArraysTest : public BenchTest {
protected:
    void SetCountNumber(int count) {
        CString text;
        text.Format(L"%d", count);
        SetCount(text.GetString());
    }
    std::vector<CString> SinkStrings() const { return g_sinkStrings; }
};

TEST_F(BenchGlobalArraysTest, ARunWritesTheIndexesUpToTheCountAndSetsThemBackToZero) {
    constexpr std::size_t kCount = 100000;
    constexpr std::size_t kBeyond = 4096;  // elements checked past the count
    for (const GlobalButton& b : kFillButtons) {
        std::size_t wrong = 0;
        bool beyondUntouched = false;
        whileRunning = [&](const bench::RunRecord&) {
            for (std::size_t i = 0; i < kCount; ++i) wrong += b.array[i] != i;
            beyondUntouched = AllZero(b.array + kCount, kBeyond);
        };
        EXPECT_EQ(Run(b.id).elementCount, static_cast<int>(kCount));
        EXPECT_EQ(wrong, 0u) << b.id;
        EXPECT_TRUE(beyondUntouched) << b.id;
        EXPECT_TRUE(AllZero(b.array, kCount + kBeyond)) << b.id;
    }
    // Once per array: nothing anywhere was left behind.
    EXPECT_TRUE(AllZero(g_stdArray.data(), kLength));
    EXPECT_TRUE(AllZero(g_stdArrayInit.data(), kLength));
    EXPECT_TRUE(AllZero(g_staticArray, kLength));
    EXPECT_TRUE(AllZero(g_staticArrayInit, kLength));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchGlobalArraysTest, ThePointerRunStartsOnZerosAfterARunByName) {
    SetCountNumber(5);
    Run(1041);
    EXPECT_TRUE(AllZero(g_staticArray, 16));
    SetCountNumber(3);
    bool startedOnZeros = false;
    whileRunning = [&](const bench::RunRecord&) { startedOnZeros = AllZero(g_staticArray + 3, 13); };
    EXPECT_EQ(Run(1053).sink, Sink(L"2"));
    EXPECT_TRUE(startedOnZeros);
    EXPECT_EQ(SinkStrings(), std::vector<CString>{CString(L"2")});
    EXPECT_TRUE(AllZero(g_staticArray, 16));
}

TEST_F(BenchGlobalArraysTest, AnEmptyCountFieldTimesTheEmptyLoopAndChangesNothing) {
    SetCount(L"");
    for (const GlobalButton& b : kFillButtons) {
        const bench::RunRecord r = Run(b.id);
        EXPECT_EQ(r.elementCount, 0);
        EXPECT_EQ(r.sink, std::nullopt) << b.id;
        EXPECT_TRUE(AllZero(b.array, 16)) << b.id;
    }
    // With no element to read, the pointer buttons leave their sink empty.
    EXPECT_TRUE(SinkStrings().empty());
    Run(1055);
    EXPECT_TRUE(SinkStrings().empty());
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
}

TEST_F(BenchGlobalArraysTest, ThePointerSinkHoldsExactlyTheLastValueOfTheRun) {
    EXPECT_EQ(Run(1053).sink, Sink(L"99999"));
    EXPECT_EQ(SinkStrings(), std::vector<CString>{CString(L"99999")});
    EXPECT_EQ(Run(1053).sink, Sink(L"99999"));
    EXPECT_EQ(SinkStrings().size(), 1u);
    SetCountNumber(1);
    EXPECT_EQ(Run(1053).sink, Sink(L"0"));
    EXPECT_EQ(SinkStrings(), std::vector<CString>{CString(L"0")});
    EXPECT_EQ(g_pStaticArray, g_staticArray);
}

TEST_F(BenchGlobalArraysTest, TheMovingPointerReadsAZeroAndIsBackAtTheStartAfterEveryRun) {
    std::ptrdiff_t moved = -1;
    whileRunning = [&](const bench::RunRecord&) { moved = g_pStaticArrayInit - g_staticArrayInit; };
    EXPECT_EQ(Run(1055).sink, Sink(L"0"));
    EXPECT_EQ(moved, 200000);
    EXPECT_EQ(SinkStrings(), std::vector<CString>{CString(L"0")});
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
    EXPECT_TRUE(AllZero(g_staticArrayInit, 300000));

    // Were the pointer left where the run moved it, the twentieth run would
    // already read past the array.
    whileRunning = nullptr;
    for (int i = 0; i < 1000; ++i) {
        drv.Command(1055);
        ASSERT_EQ(g_pStaticArrayInit, g_staticArrayInit) << "run " << i;
    }
    ASSERT_EQ(runs.size(), 1001u);
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](const bench::RunRecord& r) { return r.sink == Sink(L"0"); }));
    EXPECT_EQ(SinkStrings().size(), 1u);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchGlobalArraysTest, TheMovingPointerIsRewoundWhenARunEndsByAnException) {
    whileRunning = [](const bench::RunRecord&) { throw std::runtime_error("observer failed"); };
    drv.Command(1055);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
}

TEST_F(BenchGlobalArraysTest, CountsTheArraysCannotHoldAreRefusedBeforeTheClock) {
    // The field's own check keeps user input at 100000; these come from the program.
    ForceCount(L"4000001");
    for (const GlobalButton& b : kFillButtons) {
        Press(b.id);
        EXPECT_TRUE(drv.Text(benchtest::FieldOf(b.id)).IsEmpty()) << b.id;
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << b.id;
        EXPECT_NE(Utf8(boxes[0].text).find("count is too large: 4000001"), std::string::npos)
            << Utf8(boxes[0].text);
    }
    // 1055's sink reads element 3 x count - 3: 1333335 would read element 4000002.
    ForceCount(L"1333335");
    Press(1055);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(drv.Text(1056).IsEmpty());
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);
}

TEST_F(BenchGlobalArraysTest, TheLargestCountsStayInsideTheArrays) {
    // 1055 at its bound reads the very last element.
    ForceCount(L"1333334");
    EXPECT_EQ(Run(1055).sink, Sink(L"0"));
    EXPECT_EQ(g_pStaticArrayInit, g_staticArrayInit);

    ForceCount(L"4000000");
    unsigned long long last = 0;
    whileRunning = [&](const bench::RunRecord&) { last = g_staticArray[kLength - 1]; };
    EXPECT_EQ(Run(1053).sink, Sink(L"3999999"));
    EXPECT_EQ(last, 3999999u);
    EXPECT_TRUE(AllZero(g_staticArray, kLength));
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
