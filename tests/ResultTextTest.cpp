// The result text of a clock difference: whole microseconds, truncated toward
// zero, shown as milliseconds with six decimals and "ms".
#include "TestUtil.h"
#include "dialog/ResultText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ratio>
#include <utility>

namespace {

// The differences the text is specified in: a clock that counts 100-ns ticks.
using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;

TEST(ResultTextTest, TicksBecomeWholeMicrosecondsThenMilliseconds) {
    const struct {
        long long ticks;
        const wchar_t* text;
    } cases[] = {
        {0, L"0.000000ms"},
        {9, L"0.000000ms"},
        {10, L"0.001000ms"},
        {19, L"0.001000ms"},
        {1234567, L"123.456000ms"},
        {10000000, L"1000.000000ms"},
        {36'000'123'450LL, L"3600012.345000ms"},  // an hour: no thousands separator
        // A clock set back during the run: truncated toward zero, and no negative zero.
        {-5, L"0.000000ms"},
        {-9, L"0.000000ms"},
        {-15, L"-0.001000ms"},
        {-1234567, L"-123.456000ms"},
    };
    for (const auto& c : cases) {
        CString text(L"the count field's text");
        dialog::FormatResultText(text, std::chrono::duration_cast<std::chrono::system_clock::duration>(Ticks(c.ticks)));
        EXPECT_EQ(text, CString(c.text)) << c.ticks << " ticks";
    }
    // The clock here counts nanoseconds: they truncate the same way.
    for (const auto& [nanoseconds, microseconds] : {std::pair{999, 0}, {1000, 1}, {-999, 0}, {-1001, -1}}) {
        EXPECT_EQ(dialog::ElapsedMicroseconds(std::chrono::nanoseconds(nanoseconds)), microseconds) << nanoseconds;
    }
}

}  // namespace
