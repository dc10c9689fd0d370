// The store limit and the figures set against it: bytes per second and the
// fraction of the limit from known durations, and the limit measured on this
// machine (a sane figure, and a repeatable one; its speed is not asserted).
#include "bench/StoreLimit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace std::chrono_literals;

TEST(StoreLimitTest, BytesPerSecondIsTheBytesOverTheDuration) {
    EXPECT_DOUBLE_EQ(*bench::BytesPerSecond(400000, 100us), 4e9);
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
}

TEST(StoreLimitTest, TheFractionSetsARateAgainstTheLimit) {
    EXPECT_DOUBLE_EQ(*bench::FractionOfLimit(2e9, 4e9), 0.5);
    // Faster than the limit is reported as it is, not clipped: the limit is a measurement too.
    EXPECT_DOUBLE_EQ(*bench::FractionOfLimit(6e9, 4e9), 1.5);
    EXPECT_EQ(bench::FractionOfLimit(2e9, 0), std::nullopt);
    EXPECT_EQ(bench::FractionOfLimit(2e9, std::nan("")), std::nullopt);
}

TEST(StoreLimitTest, EachButtonIsComparedWithTheBytesItsArrayTakes) {
    const auto size = [](int id, int count) { return bench::LimitSizeFor(*bench::FindButton(id), count); };
    using P = bench::StorePlacement;
    EXPECT_EQ(size(1000, 100000), (bench::StoreSize{400000, P::Reused}));
    EXPECT_EQ(size(1024, 100000), (bench::StoreSize{800000, P::Reused}));
    EXPECT_EQ(size(1035, 10), (bench::StoreSize{10 * sizeof(std::string), P::Reused}));
    EXPECT_EQ(size(1041, 100000), (bench::StoreSize{800000, P::SpreadOverGlobalArray}));
    // Nothing stored: the moving pointer, an empty count, a refused negative one.
    EXPECT_EQ(size(1055, 100000).bytes, 0u);
    EXPECT_EQ(size(1000, 0).bytes, 0u);
    EXPECT_EQ(size(1000, -5).bytes, 0u);
    EXPECT_EQ(bench::MeasureStoreBandwidth({0, P::Reused}), 0);
    EXPECT_EQ(bench::MeasureStoreBandwidth({4, P::Reused}), 0);
}

TEST(StoreLimitTest, TheMeasuredLimitIsPositiveFiniteAndRepeatable) {
    for (const bench::StoreSize size : {bench::StoreSize{400000, bench::StorePlacement::Reused},
                                        bench::StoreSize{800000, bench::StorePlacement::SpreadOverGlobalArray}}) {
        const double first = bench::MeasureStoreBandwidth(size);
        const double second = bench::MeasureStoreBandwidth(size);
        std::printf("store limit for %zu bytes (%s): %.2f and %.2f GB/s\n", size.bytes,
                    size.placement == bench::StorePlacement::Reused ? "reused" : "spread", first / 1e9, second / 1e9);
        ASSERT_TRUE(std::isfinite(first) && first > 0) << first;
        ASSERT_TRUE(std::isfinite(second) && second > 0) << second;
        EXPECT_LT(std::max(first, second) / std::min(first, second), 3.0);
    }
    // Remembered: the second request measures nothing and answers the same.
    const bench::StoreSize size{400000, bench::StorePlacement::Reused};
    EXPECT_EQ(bench::StoreLimit(size), bench::StoreLimit(size));
}

}  // namespace
