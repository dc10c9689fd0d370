// std::vector<int> by push_back (reserved and growing), at() and operator[].
#include "BenchFixture.h"

#include <gtest/gtest.h>

namespace {

using benchtest::BenchTest;
using Sink = std::optional<CString>;

class BenchVectorsTest : public BenchTest {};

constexpr int kVectorButtons[] = {1002, 1006, 1004, 1008};

TEST_F(BenchVectorsTest, OneElementHoldsZero) {
    SetCount(L"1");
    for (int id : kVectorButtons) {
        const bench::RunRecord r = Run(id);
        EXPECT_EQ(r.elementCount, 1) << id;
        EXPECT_EQ(r.sink, Sink(L"0")) << id;
    }
}

TEST_F(BenchVectorsTest, AFullCountEndsWithTheLastIndex) {
    for (int id : kVectorButtons) {
        const bench::RunRecord r = Run(id);
        EXPECT_EQ(r.elementCount, 100000) << id;
        EXPECT_EQ(r.sink, Sink(L"99999")) << id;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchVectorsTest, GrowingAndReservedVectorsAgreeAtCountsAcrossReallocations) {
    // 1006 reallocates at every power of two; the last element must survive each move.
    for (int count : {2, 3, 1024, 1025, 65537}) {
        CString text;
        text.Format(L"%d", count);
        SetCount(text.GetString());
        CString last;
        last.Format(L"%d", count - 1);
        for (int id : kVectorButtons) EXPECT_EQ(Run(id).sink, Sink(last)) << id << " at " << count;
    }
}

TEST_F(BenchVectorsTest, ANegativeCountNeverReachesReserve) {
    SetCount(L"-3");
    for (int id : kVectorButtons) {
        Press(id);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << id;
        // Refused as a count, not as a length error of reserve.
        EXPECT_EQ(Utf8(boxes[0].text).find("length_error"), std::string::npos) << Utf8(boxes[0].text);
        EXPECT_NE(Utf8(boxes[0].text).find("count is negative: -3"), std::string::npos) << Utf8(boxes[0].text);
    }
    EXPECT_TRUE(runs.empty());
}

}  // namespace
