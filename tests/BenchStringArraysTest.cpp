// Arrays of CString and std::string filled with the decimal text of each index.
#include "BenchFixture.h"

#include <gtest/gtest.h>

namespace {

using benchtest::BenchTest;
using Sink = std::optional<CString>;

class BenchStringArraysTest : public BenchTest {};

TEST_F(BenchStringArraysTest, OneElementHoldsTheTextZero) {
    SetCount(L"1");
    for (int id : {1010, 1016, 1035}) {
        const bench::RunRecord r = Run(id);
        EXPECT_EQ(r.elementCount, 1) << id;
        EXPECT_EQ(r.sink, Sink(L"0")) << id;
    }
}

TEST_F(BenchStringArraysTest, AFullCountEndsWithTheLastIndexAsText) {
    for (int id : {1010, 1016, 1035}) {
        const bench::RunRecord r = Run(id);
        EXPECT_EQ(r.elementCount, 100000) << id;
        EXPECT_EQ(r.sink, Sink(L"99999")) << id;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchStringArraysTest, TheFixedCStringArrayIgnoresTheCountField) {
    for (const wchar_t* count : {L"", L"5", L"-5", L"0", L"abc", L"100000"}) {
        SetCount(count);
        const bench::RunRecord r = Run(1024);
        EXPECT_EQ(r.elementCount, 100000) << Utf8(CString(count));
        EXPECT_EQ(r.sink, Sink(L"99999")) << Utf8(CString(count));
        EXPECT_EQ(drv.Text(1033), CString(count));
        EXPECT_TRUE(Boxes().empty()) << Utf8(CString(count));
    }
}

TEST_F(BenchStringArraysTest, PointerAndIndexFillsAgree) {
    for (int count : {2, 11, 1000, 54321}) {
        CString text;
        text.Format(L"%d", count);
        SetCount(text.GetString());
        CString last;
        last.Format(L"%d", count - 1);
        for (int id : {1010, 1016, 1035}) EXPECT_EQ(Run(id).sink, Sink(last)) << id << " at " << count;
    }
}

}  // namespace
