// The store limit and the figures set against it: bytes per second and the
// fraction of the limit from known durations, and the limit measured on this
// machine (a sane figure; its speed is not asserted).
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
    EXPECT_EQ(size(1000, 100000), (bench::StoreSize{400000}));
    EXPECT_EQ(size(1024, 100000), (bench::StoreSize{800000}));
    EXPECT_EQ(size(1035, 10), (bench::StoreSize{10 * sizeof(std::string)}));
    EXPECT_EQ(size(1041, 100000), (bench::StoreSize{800000}));
    // Nothing stored: the moving pointer, an empty count, a refused negative one.
    EXPECT_EQ(size(1055, 100000).bytes, 0u);
    EXPECT_EQ(size(1000, 0).bytes, 0u);
    EXPECT_EQ(size(1000, -5).bytes, 0u);
    EXPECT_EQ(bench::MeasureStoreBandwidth({0}), 0);
    EXPECT_EQ(bench::MeasureStoreBandwidth({4}), 0);
}

TEST(StoreLimitTest, TheMeasuredLimitIsAPositiveRateAndRemembered) {
    // Its speed is the machine's: only that it is a rate is asserted.
    const double limit = bench::MeasureStoreBandwidth({400000});
    EXPECT_TRUE(std::isfinite(limit) && limit > 0) << limit;
    // Remembered: the second request measures nothing and answers the same.
    EXPECT_EQ(bench::StoreLimit({400000}), bench::StoreLimit({400000}));
}

}  // namespace
