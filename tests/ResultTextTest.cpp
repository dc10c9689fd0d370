// The result text of a clock difference: whole microseconds, truncated toward
// zero, shown as milliseconds with six decimals and "ms".
#include "TestUtil.h"
#include "dialog/ResultText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ratio>

namespace {

// The clock of the original platform counts 100-ns ticks.
using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;

CString ResultText(long long ticks) {
    CString text(L"count field text");
    dialog::FormatResultText(text, std::chrono::duration_cast<std::chrono::system_clock::duration>(Ticks(ticks)));
    return text;
}

TEST(ResultTextTest, TicksBecomeWholeMicrosecondsThenMilliseconds) {
    EXPECT_EQ(ResultText(0), CString(L"0.000000ms"));
    EXPECT_EQ(ResultText(9), CString(L"0.000000ms"));
    EXPECT_EQ(ResultText(10), CString(L"0.001000ms"));
    EXPECT_EQ(ResultText(19), CString(L"0.001000ms"));
    EXPECT_EQ(ResultText(1234567), CString(L"123.456000ms"));
    EXPECT_EQ(ResultText(10000000), CString(L"1000.000000ms"));
}

TEST(ResultTextTest, AClockSetBackTruncatesTowardZeroWithoutANegativeZero) {
    EXPECT_EQ(ResultText(-15), CString(L"-0.001000ms"));
    EXPECT_EQ(ResultText(-5), CString(L"0.000000ms"));
    EXPECT_EQ(ResultText(-9), CString(L"0.000000ms"));
    EXPECT_EQ(ResultText(-1234567), CString(L"-123.456000ms"));
}

TEST(ResultTextTest, NoThousandsSeparatorForLongRuns) {
    // One hour and a bit.
    EXPECT_EQ(ResultText(36'000'123'450LL), CString(L"3600012.345000ms"));
}

TEST(ResultTextTest, ElapsedMicrosecondsTruncateTowardZeroAtNanosecondResolution) {
    using std::chrono::nanoseconds;
    EXPECT_EQ(dialog::ElapsedMicroseconds(nanoseconds(999)), 0);
    EXPECT_EQ(dialog::ElapsedMicroseconds(nanoseconds(1000)), 1);
    EXPECT_EQ(dialog::ElapsedMicroseconds(nanoseconds(-999)), 0);
    EXPECT_EQ(dialog::ElapsedMicroseconds(nanoseconds(-1001)), -1);
}

}  // namespace
