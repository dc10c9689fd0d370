// The store limit and the figures set against it: bytes per second and the
// fraction of the limit from known durations, and the limit measured on this
// machine (a sane figure; its speed is not asserted); and the ratio of one
// time to another, round by round.
#include "bench/PairedRatio.h"
#include "bench/StoreLimit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(StoreLimitTest, RatesAndFractionsOfTheLimitFromKnownBytesAndDurations) {
    EXPECT_DOUBLE_EQ(*bench::BytesPerSecond(800000, 1ms), 8e8);
    EXPECT_DOUBLE_EQ(*bench::BytesPerSecond(bench::kMinRateBytes, 1us), 65536e6);
    // A run the clock saw as empty, or set back, has no rate; nor has a run
    // that stored nothing, or too little for its time to be more than the
    // clock's own (one element takes some 30 ns: 4 bytes would read as 0.13 GB/s).
    EXPECT_EQ(bench::BytesPerSecond(400000, 0ns), std::nullopt);
    EXPECT_EQ(bench::BytesPerSecond(400000, -15ns), std::nullopt);
    EXPECT_EQ(bench::BytesPerSecond(0, 1ms), std::nullopt);
    EXPECT_EQ(bench::BytesPerSecond(4, 30ns), std::nullopt);
    EXPECT_EQ(bench::BytesPerSecond(bench::kMinRateBytes - 1, 1us), std::nullopt);
    // (Rates and fractions of ordinary clicks: BatchVariantTest.)
    // Faster than the limit is reported as it is, not clipped: the limit is a measurement too.
    EXPECT_DOUBLE_EQ(*bench::FractionOfLimit(6e9, 4e9), 1.5);
    EXPECT_EQ(bench::FractionOfLimit(2e9, 0), std::nullopt);
    EXPECT_EQ(bench::FractionOfLimit(2e9, std::nan("")), std::nullopt);
}

TEST(StoreLimitTest, EachButtonIsComparedWithTheLimitOfTheBytesItsArrayTakes) {
    // (An int array, a CString array, a global array: BatchVariantTest's run.)
    const auto size = [](int id, int count) { return bench::LimitSizeFor(*bench::FindButton(id), count); };
    EXPECT_EQ(size(1035, 10), (bench::StoreSize{10 * sizeof(std::string)}));
    // Nothing stored: the moving pointer, an empty count, a refused negative one.
    EXPECT_EQ(size(1055, 100000).bytes, 0u);
    EXPECT_EQ(size(1000, 0).bytes, 0u);
    EXPECT_EQ(size(1000, -5).bytes, 0u);
    // Too few bytes for a limit; its speed is the machine's: only that it is a rate is asserted.
    EXPECT_EQ(bench::MeasureStoreBandwidth({0}), 0);
    EXPECT_EQ(bench::MeasureStoreBandwidth({4}), 0);
    const double limit = bench::MeasureStoreBandwidth({400000});
    EXPECT_TRUE(std::isfinite(limit) && limit > 0) << limit;
    // Remembered: the second request measures nothing and answers the same.
    EXPECT_EQ(bench::StoreLimit({400000}), bench::StoreLimit({400000}));
}

// One time against another round by round: the median of the rounds' ratios
// and the sign test's interval, from rounds of known times.
using Ns = std::chrono::duration<double, std::nano>;

/// Rounds whose baseline takes 10 us and whose time is the ratio times that.
std::vector<bench::RoundPair> Ratios(std::vector<double> ratios, std::vector<bench::RoundPair> more = {}) {
    for (double r : ratios) more.push_back({Ns(10000 * r), Ns(10000)});
    return more;
}

TEST(PairedRatioTest, MedianOfTheRoundsRatiosWithTheSignTestsInterval) {
    std::vector<double> thousands;  // 1 ... 3001: 2^3001 overflows a double
    for (int i = 1; i <= 3001; ++i) thousands.push_back(i);
    const struct {
        const char* name;
        std::vector<bench::RoundPair> rounds;
        double median, low, high;  // low and high 0: no interval
        bool differenceShown;
        std::optional<bench::NoRatio> none = std::nullopt;
    } cases[] = {
        // 11 rounds: the 2nd smallest and largest, missing with 2 P(B <= 1) = 24 / 2048.
        {"eleven", Ratios({5, 1, 11, 3, 7, 9, 2, 10, 4, 8, 6}), 6, 2, 10, true},
        // 6 rounds, the fewest with an interval: smallest to largest, missing with 2 / 64.
        {"six, holding 1", Ratios({1.2, 0.9, 1.1, 1.0, 1.3, 1.05}), 1.075, 0.9, 1.3, false},
        {"six, below 1", Ratios({0.5, 0.6, 0.7, 0.8, 0.9, 0.95}), 0.75, 0.5, 0.95, true},
        {"five: no interval", Ratios({2, 3, 4, 5, 6}), 4, 0, 0, false},
        {"thousands", Ratios(thousands), 1501, 1447, 1555, true},
        // Each round's own ratio: 10, 0.2 and 10, not 20 / 3 as the medians would give.
        {"paired", {{Ns(10000), Ns(1000)}, {Ns(20000), Ns(100000)}, {Ns(30000), Ns(3000)}}, 10, 0, 0, false},
        {"a round of 0 left out", Ratios({1, 2, 3, 4, 5}, {{Ns(5000), Ns(0)}}), 3, 0, 0, false},
        {"at the clock's limit", {{Ns(1000), Ns(1000)}, {Ns(1000), Ns(1000)}}, 1, 0, 0, false},
        {"none", {}, 0, 0, 0, false, bench::NoRatio::NoRounds},
        // A few dozen nanoseconds, as an empty fill takes: the clock's own cost, on either side.
        {"clock", {{Ns(35), Ns(50)}, {Ns(40), Ns(45)}, {Ns(38), Ns(52)}}, 0, 0, 0, false, bench::NoRatio::BelowClockResolution},
        {"baseline 999 ns", {{Ns(5000), Ns(999)}, {Ns(5000), Ns(998)}}, 0, 0, 0, false, bench::NoRatio::BelowClockResolution},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto compared = bench::CompareRounds(c.rounds);
        if (c.none) {
            EXPECT_EQ(std::get<bench::NoRatio>(compared), *c.none);
            continue;
        }
        const auto& ratio = std::get<bench::PairedRatio>(compared);
        EXPECT_DOUBLE_EQ(ratio.median, c.median);
        EXPECT_EQ(std::tuple(ratio.low.value_or(0), ratio.high.value_or(0), ratio.DifferenceShown()),
                  std::tuple(c.low, c.high, c.differenceShown));
    }
}

}  // namespace
