// Local arrays of 100,000 int on the stack: they fill all of them whatever the
// count field says.
#include "BenchFixture.h"

#include <gtest/gtest.h>

namespace {

using benchtest::BenchTest;
using Sink = std::optional<CString>;

class BenchFixedArraysTest : public BenchTest {};

constexpr int kFixedButtons[] = {1012, 1014, 1022};

TEST_F(BenchFixedArraysTest, AlwaysAHundredThousandElementsWhateverTheCountField) {
    for (const wchar_t* count : {L"", L"1", L"5", L"-5", L"12abc", L"100000"}) {
        SetCount(count);
        for (int id : kFixedButtons) {
            const bench::RunRecord r = Run(id);
            EXPECT_EQ(r.elementCount, 100000) << id;
            EXPECT_EQ(r.sink, Sink(L"99999")) << id << " with \"" << Utf8(CString(count)) << '"';
        }
        EXPECT_EQ(drv.Text(1033), CString(count));
        EXPECT_TRUE(Boxes().empty()) << Utf8(CString(count));
    }
}

TEST_F(BenchFixedArraysTest, RepeatedRunsAreIndependent) {
    for (int i = 0; i < 3; ++i) {
        for (int id : kFixedButtons) EXPECT_EQ(Run(id).sink, Sink(L"99999")) << id;
    }
}

}  // namespace
