// What a sweep's reports state from clicks of known durations: the
// complexity fit, the ratio to the baseline of the same bytes, and the store
// limit beside each size. (The program's sweeps: BatchTest.cpp.)
#include "batch/SweepResults.h"

#include <gtest/gtest.h>

namespace {

TEST(SweepModeTest, TheComplexityFitNamesTheCurveAndItsCoefficient) {
    const std::vector<double> n = {1000, 2000, 4000, 8000};
    const struct {
        std::vector<double> times;
        const char* bigO;
        double coefficient;
    } cases[] = {
        {{500, 1000, 2000, 4000}, "N", 0.5},
        {{7, 7, 7, 7}, "(1)", 7},
        {{1e6, 4e6, 16e6, 64e6}, "N^2", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bigO);
        std::vector<double> cpu = c.times;
        for (double& t : cpu) t /= 2;  // the CPU times get the same curve, with a coefficient of their own
        const auto fit = batch::FitComplexity(n, c.times, cpu);
        ASSERT_TRUE(fit);
        EXPECT_EQ(fit->bigO, c.bigO);
        EXPECT_NEAR(fit->realCoefficient, c.coefficient, 1e-9 * c.coefficient);
        EXPECT_NEAR(fit->cpuCoefficient, c.coefficient / 2, 1e-9 * c.coefficient);
        EXPECT_NEAR(fit->rms, 0, 1e-9);
    }
    EXPECT_FALSE(batch::FitComplexity({1000}, {1}, {1}));
}

TEST(SweepModeTest, EachSizePairsWithTheBaselinesOfTheSameBytesAndTheFastestLimit) {
    // 1000 (4-byte int) and 1041 (8-byte elements) at 400 KB, and 1000 at 800 KB, which 1041 only has
    // as a count: 100000 elements. Six rounds of two counted clicks each; 1000 takes 3x 1041 in every
    // round, whatever the round's speed, and one slow round of 1041 alone would move a pooled median.
    // The store limit of 400 KB: its fastest memset, 40 us.
    bench::SweepRun run;
    const bench::ButtonSpec* a = bench::FindButton(1000);
    const bench::ButtonSpec* base = bench::FindButton(1041);
    run.plan.subjects = {{a, 100000, 400000}, {a, 200000, 800000}, {base, 50000, 400000}, {base, 100000, 800000}, {nullptr, 0, 400000}};
    const auto click = [&](std::size_t subject, int round, long ns) {
        bench::SweepClick c;
        c.subject = subject;
        c.round = round;
        c.followsOwnClick = true;
        c.measurement.elapsed = std::chrono::nanoseconds(ns);
        c.measurement.elementCount = run.plan.subjects[subject].count;
        run.clicks.push_back(c);
    };
    for (int round = 1; round <= 6; ++round) {
        const long speed = round == 3 ? 5 : 1;  // the machine at a fifth of its speed in round 3
        for (std::size_t s : {0, 1, 2, 3}) {
            const long own = s == 2 ? 10000 : 20000;  // 1041's times at 400 and 800 KB
            const long ns = speed * (s >= 2 ? own : 3 * (s == 0 ? 10000 : 20000));
            click(s, round, ns);
            click(s, round, ns);
        }
        click(4, round, 40000 + 1000 * round);
    }
    const auto results = batch::GroupSweep(run, {{"Data", 1, 128 << 10, 1}}, base);
    ASSERT_EQ(results.size(), 2u);
    for (const batch::SweepRow& row : results[0].rows) {
        SCOPED_TRACE(row.count);
        ASSERT_TRUE(row.toBaseline && row.toBaseline->ratio);
        EXPECT_DOUBLE_EQ(row.toBaseline->ratio->median, 3);
        EXPECT_DOUBLE_EQ(*row.toBaseline->ratio->low, 3);
        EXPECT_EQ(row.toBaseline->ratio->rounds, 6);
    }
    EXPECT_DOUBLE_EQ(results[0].rows[0].limitBytesPerSecond.value_or(0), 400000 / 41e-6);
    EXPECT_FALSE(results[0].rows[1].limitBytesPerSecond) << "no limit measured for 800 KB";
    EXPECT_TRUE(results[1].rows[0].toBaseline->isBaseline);
    // Both sizes lie beyond the one cache level: main memory pools their twelve rounds.
    ASSERT_TRUE(results[0].levelRatios.back());
    EXPECT_EQ(results[0].levelRatios.back()->rounds, 12);
    EXPECT_DOUBLE_EQ(results[0].levelRatios.back()->median, 3);
}

}  // namespace
