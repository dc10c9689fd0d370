// Heap arrays whose length is the count: int[] from array new and malloc, the
// walking pointer, and the CString arrays filled through narrow strings.
#include "BenchFixture.h"

#include <gtest/gtest.h>

namespace {

using benchtest::BenchTest;
using Sink = std::optional<CString>;

class BenchDynamicArraysTest : public BenchTest {};

TEST_F(BenchDynamicArraysTest, OneElementHoldsZero) {
    SetCount(L"1");
    EXPECT_EQ(Run(1000).sink, Sink(L"0"));
    EXPECT_EQ(Run(1018).sink, std::nullopt);  // malloc has no sink
    EXPECT_EQ(Run(1020).sink, Sink(L"0"));
    EXPECT_EQ(Run(1030).sink, Sink(L"0"));
    EXPECT_EQ(Run(1032).sink, Sink(L"0"));
    for (const auto& r : runs) EXPECT_EQ(r.elementCount, 1) << r.buttonId;
}

TEST_F(BenchDynamicArraysTest, AFullCountEndsWithTheLastIndex) {
    ASSERT_EQ(drv.Text(1033), CString(L"100000"));
    EXPECT_EQ(Run(1000).sink, Sink(L"99999"));
    EXPECT_EQ(Run(1018).sink, std::nullopt);
    EXPECT_EQ(Run(1020).sink, Sink(L"99999"));
    // Both char[] buttons give the same texts; the digits survive the narrow round trip.
    EXPECT_EQ(Run(1030).sink, Sink(L"99999"));
    EXPECT_EQ(Run(1032).sink, Sink(L"99999"));
    for (const auto& r : runs) EXPECT_EQ(r.elementCount, 100000) << r.buttonId;
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchDynamicArraysTest, TheSinkFollowsTheCount) {
    for (int count : {2, 10, 12345, 99999}) {
        CString text;
        text.Format(L"%d", count);
        SetCount(text.GetString());
        CString last;
        last.Format(L"%d", count - 1);
        for (int id : {1000, 1020, 1030, 1032}) EXPECT_EQ(Run(id).sink, Sink(last)) << id << " at " << count;
    }
}

TEST_F(BenchDynamicArraysTest, MallocOfANegativeCountIsRefusedLikeTheOthers) {
    // Without the check malloc would get SIZE_MAX and the field would show a
    // time for a fill that never happened.
    SetCount(L"-1");
    Press(1018);
    EXPECT_TRUE(drv.Text(1019).IsEmpty());
    EXPECT_TRUE(runs.empty());
    ASSERT_EQ(Boxes().size(), 1u);
}

}  // namespace
