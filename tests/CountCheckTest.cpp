// The window's arithmetic as plain functions: how the count field's text is
// read (the check that rewrites it to 100000, atoll of at most 18 characters,
// and the count a click takes from it, _wtoi), the minimised icon's position,
// and the result text of a clock difference: whole microseconds, truncated
// toward zero, shown as milliseconds with six decimals and "ms".
#include "TestUtil.h"
#include "dialog/CountCheck.h"
#include "dialog/IconPosition.h"
#include "dialog/ResultText.h"
#include "framework/Crt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <ratio>
#include <utility>

namespace {

TEST(CountTextTest, TheCheckAndTheClickReadTheSameText) {
    const struct {
        const wchar_t* text;
        int count;       // what a click reads
        bool rewritten;  // what the check makes of it
    } cases[] = {
        {L"100000", 100000, false},
        {L"100001", 100001, true},
        {L"1000000", 1000000, true},
        {L"99999", 99999, false},
        {L"0100000", 100000, false},
        {L"", 0, false},
        {L"-5", -5, false},
        {L"+5", 5, false},
        {L"+100001", 100001, true},
        {L"12abc", 12, false},
        {L" 7", 7, false},
        {L"  100001", 100001, true},
        {L"\r\n 42", 42, false},
        {L"\t\v\f9", 9, false},
        {L"2\r\n00000", 2, false},
        {L"\u30009", 0, false},  // the ideographic space is no ASCII white space
        {L"\x1C" L"9", 0, false},
        {L"１００００１", 0, false},  // full-width digits are no number
        {L"1２", 1, false},
        {L"+", 0, false},
        {L"- 5", 0, false},
        {L"--5", 0, false},
        {L"2147483647", INT_MAX, true},
        {L"2147483648", INT_MAX, true},  // a click's int saturates
        {L"-2147483649", INT_MIN, false},
        {L"-99999999999999999", INT_MIN, false},
        {L"999999999999999999", INT_MAX, true},     // 18 characters: converted
        {L"000000000000000001", 1, false},          // 18 characters: converted
        {L"0000000000000000001", 1, true},          // 19 characters: too long to be converted
        {L"99999999999999999999999999999", INT_MAX, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(_wtoi(c.text), c.count);
        EXPECT_EQ(dialog::CountExceedsLimit(c.text), c.rewritten);
    }
    EXPECT_EQ(_wtoi(nullptr), 0);
}

TEST(CountTextTest, AtollSaturatesAtTheLimitsOfSixtyFourBits) {
    const struct {
        const char* text;
        long long value;
    } cases[] = {
        {" -12x", -12},
        {"\b9", 0},
        {"\xEF\xBC\x91", 0},  // a full-width 1
        {"9223372036854775807", LLONG_MAX},
        {"9223372036854775808", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {"-9223372036854775809", LLONG_MIN},
        {"123456789012345678901234567890", LLONG_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(crt::atoll(c.text), c.value) << c.text;
    EXPECT_EQ(crt::atoll(nullptr), 0);
}

TEST(IconPositionTest, CentresWithTruncationTowardZero) {
    const struct {
        RECT client;
        int x, y;
    } cases[] = {
        {{0, 0, 36, 36}, 2, 2},
        {{0, 0, 30, 36}, 0, 2},  // (30 - 32 + 1) / 2 is 0, not -1
        {{0, 0, 27, 27}, -2, -2},
        {{10, 20, 46, 56}, 2, 2},  // the size counts, not the position
    };
    for (const auto& c : cases) {
        const dialog::IconOrigin at = dialog::IconPosition(c.client, 32, 32);
        EXPECT_EQ(at.x, c.x) << c.client.right;
        EXPECT_EQ(at.y, c.y) << c.client.bottom;
    }
}

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
