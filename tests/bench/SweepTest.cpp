// The sweep's sizes, its plan and refusals, its runs (which click comes when,
// where a button stops and why) and what its curve says per cache level.
#include "bench/StoreLimit.h"
#include "bench/Sweep.h"
#include "bench/SweepAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

namespace {

using bench::CacheInfo;
using bench::SweepPlan;
using bench::SweepRequest;
using bench::SweepStop;

const bench::ButtonSpec& Button(int id) {
    return *bench::FindButton(id);
}

const std::vector<CacheInfo> kCaches = {{"Data", 1, 32 << 10, 1}, {"Unified", 2, 1 << 20, 1}, {"Unified", 3, 32 << 20, 2}};
constexpr long long kPlenty = 1LL << 40;

std::variant<SweepPlan, std::string> Plan(std::vector<int> ids, std::optional<SweepRequest::Sizes> sizes,
                                          long long available = kPlenty) {
    SweepRequest request;
    for (int id : ids) request.buttons.push_back(&Button(id));
    request.sizes = sizes;
    request.repetitions = 4;
    request.seed = 7;
    request.clickBudget = std::chrono::hours(1);  // a click that a busy machine slows never stops a button
    return bench::PlanSweep(request, kCaches, available);
}

std::vector<int> Counts(const SweepPlan& plan, int id) {
    std::vector<int> counts;
    for (const bench::SweepSubject& s : plan.subjects) {
        if (s.button == &Button(id)) counts.push_back(s.count);
    }
    return counts;
}

TEST(SweepTest, SizesAreAGeometricSeriesEndingAtTheLast) {
    const struct {
        int from, to, perDoubling;
        std::vector<int> expected;
    } cases[] = {
        {1, 8, 1, {1, 2, 4, 8}},
        {3, 10, 1, {3, 6, 10}},
        {1024, 2048, 4, {1024, 1218, 1448, 1722, 2048}},
        {5, 5, 4, {5}},
        {1, 3, 8, {1, 2, 3}},  // rounding makes no size twice
        {0, 8, 1, {}},
        {9, 8, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + ":" + std::to_string(c.to) + ":" + std::to_string(c.perDoubling));
        EXPECT_EQ(bench::GeometricSizes(c.from, c.to, c.perDoubling), c.expected);
    }
    // The default: 4 KiB to four times the last-level cache (the plan's first and last sizes below),
    // whole cache lines, four per doubling.
    const std::vector<std::size_t> bytes = bench::DefaultSweepBytes(bench::DefaultSweepLastBytes(kCaches));
    EXPECT_EQ(bytes.size(), 15u * 4 + 1);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::size_t b) { return b % 64 == 0; }));
    EXPECT_EQ(bench::DefaultSweepLastBytes({}), bench::kSweepLastBytesWithoutCaches);
}

TEST(SweepTest, TheDefaultPlanSharesItsBytesAcrossElementSizesAndStopsTheGlobalArrays) {
    const auto planned = Plan({1000, 1016, 1037}, std::nullopt);
    ASSERT_TRUE(std::holds_alternative<SweepPlan>(planned)) << std::get<std::string>(planned);
    const SweepPlan& plan = std::get<SweepPlan>(planned);
    EXPECT_EQ(std::pair(Counts(plan, 1000).front(), Counts(plan, 1000).back()), std::pair(1024, 32 << 20));
    EXPECT_EQ(Counts(plan, 1016).front(), 512);
    const std::vector<int> global = Counts(plan, 1037);
    EXPECT_LE(global.back(), bench::kGlobalArrayLength);
    EXPECT_GT(global.back(), bench::kGlobalArrayLength / 2);
    ASSERT_EQ(plan.notes.size(), 1u);
    EXPECT_NE(plan.notes[0].find("4000000"), std::string::npos) << plan.notes[0];
    // One limit per size in bytes of at least 64 KiB, whatever the element size.
    std::vector<std::size_t> limits;
    for (const bench::SweepSubject& s : plan.subjects) {
        if (s.IsLimit()) limits.push_back(s.bytes);
    }
    EXPECT_EQ(std::pair(limits.front(), limits.back()), std::pair(bench::kMinRateBytes, std::size_t{128} << 20));
    EXPECT_EQ(std::adjacent_find(limits.begin(), limits.end()), limits.end());
    // What memory cannot hold is left out with a note, not refused.
    const auto small = Plan({1000}, std::nullopt, 200LL << 20);
    ASSERT_TRUE(std::holds_alternative<SweepPlan>(small));
    EXPECT_LT(Counts(std::get<SweepPlan>(small), 1000).back(), 32 << 20);
    EXPECT_NE(std::get<SweepPlan>(small).notes.at(0).find("left out"), std::string::npos);
}

TEST(SweepTest, ARequestThatCannotRunIsRefusedInOneLine) {
    // (A fixed-size array, the pointer that stores nothing, a global array's end: CommandLineTest, BatchTest.)
    using Sizes = SweepRequest::Sizes;
    const struct {
        std::vector<int> ids;
        std::optional<Sizes> sizes;
        long long available;
        const char* expected;
    } cases[] = {
        {{1000}, Sizes{0, 10, 1}, kPlenty, "starts at 0 elements"},
        {{1000}, Sizes{10, 5, 1}, kPlenty, "ends at 5 elements, below its start, 10"},
        {{1000}, Sizes{1, 5, 0}, kPlenty, "1 to 64 sizes per doubling"},
        {{1016}, Sizes{1, 1000000, 1}, 50LL << 20, "a click of 1016 there needs about"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const auto planned = Plan(c.ids, c.sizes, c.available);
        ASSERT_TRUE(std::holds_alternative<std::string>(planned));
        const std::string& why = std::get<std::string>(planned);
        EXPECT_NE(why.find(c.expected), std::string::npos) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos);
    }
    EXPECT_TRUE(std::holds_alternative<SweepPlan>(Plan({1041}, SweepRequest::Sizes{1, 4000000, 1})));
}

TEST(SweepTest, PeakBytesCountWhatAClickHoldsAtOnce) {
    EXPECT_EQ(bench::PeakBytes(Button(1000), 1000), 4000);
    EXPECT_EQ(bench::PeakBytes(Button(1006), 1000), 12000);  // old and new block while growing
    EXPECT_GT(bench::PeakBytes(Button(1016), 1000), 8 * 1000 * 8);  // each element's own buffer
    EXPECT_EQ(bench::PeakBytes(Button(1037), 1000), 0);       // a global array allocates nothing
    EXPECT_GT(bench::AvailableMemoryBytes(), 0);
}

/// The whole plan run; the counts of its clicks, in order.
std::pair<bench::SweepRun, std::vector<int>> RunAll(SweepPlan plan, bench::SweepRunner::AvailableMemory available = [] { return kPlenty; }) {
    bench::SweepRunner runner(std::move(plan), std::move(available));
    while (runner.Step()) {
    }
    EXPECT_EQ(runner.ClicksLeft(), 0u);
    std::vector<int> counts;
    for (const bench::SweepClick& c : runner.Run().clicks) counts.push_back(runner.Run().plan.subjects[c.subject].count);
    return {runner.Run(), counts};
}

TEST(SweepTest, FirstClicksSmallestFirstThenRoundsWhereOnlyFollowingClicksCount) {
    // 16384 to 32768 ints: 64 to 128 KiB, each with a limit of its own bytes.
    const SweepPlan plan = std::get<SweepPlan>(Plan({1000, 1037}, SweepRequest::Sizes{16384, 32768, 1}));
    ASSERT_EQ(plan.subjects.size(), 2u + 2u + 3u);
    const auto [run, counts] = RunAll(plan);
    EXPECT_EQ(run.rounds, 1);
    const std::size_t n = plan.subjects.size();
    std::vector<std::vector<int>> repetitions(n);
    for (std::size_t k = 0; k < run.clicks.size(); ++k) {
        const bench::SweepClick& c = run.clicks[k];
        repetitions[c.subject].push_back(c.repetition);
        EXPECT_TRUE(c.measurement.Succeeded());
        EXPECT_EQ(c.followsOwnClick, k > 0 && run.clicks[k - 1].subject == c.subject) << k;
        // The first pass: every subject once, by bytes ascending.
        EXPECT_EQ(c.round == 0, k < n) << k;
        EXPECT_TRUE(k == 0 || k >= n || plan.subjects[run.clicks[k - 1].subject].bytes <= plan.subjects[c.subject].bytes) << k;
    }
    // Of the three clicks of the one round, the second and third follow their own; the first only
    // where the round starts with the size whose first click ended the first pass.
    const bool carried = run.clicks[n - 1].subject == run.clicks[n].subject;
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(repetitions[i], (std::vector<int>{0, 1, 2, 3})) << i;
        EXPECT_EQ(run.Counted(i).size(), 2u + (carried && run.clicks[n].subject == i)) << i;
    }
    EXPECT_EQ(RunAll(plan).second, counts);  // the same seed, the same order
}

TEST(SweepTest, AButtonStopsAtTheBudgetAtMemoryOrAtAFailedClick) {
    const auto only = [](const std::vector<int>& counts) { return std::set(counts.begin(), counts.end()); };
    SweepPlan budget = std::get<SweepPlan>(Plan({1000, 1008}, SweepRequest::Sizes{1000, 8000, 1}));
    budget.clickBudget = std::chrono::nanoseconds(1);
    const auto [overBudget, clickedOverBudget] = RunAll(budget);
    ASSERT_EQ(overBudget.stops.size(), 2u);
    for (const SweepStop& stop : overBudget.stops) {
        EXPECT_EQ(stop.reason, SweepStop::Reason::Budget);
        EXPECT_EQ(stop.count, 2000);  // the smallest size ran; the next would take too long
        // Twice the elements: twice the time of the button's click of 1000.
        const auto first = std::find_if(overBudget.clicks.begin(), overBudget.clicks.end(),
                                        [&](const bench::SweepClick& c) { return overBudget.plan.subjects[c.subject].button == stop.button; });
        EXPECT_EQ(stop.predicted, std::chrono::duration_cast<std::chrono::nanoseconds>(first->measurement.elapsed * 2.0));
    }
    EXPECT_EQ(only(clickedOverBudget), std::set{1000});

    // Room for the program and the click of 1000 ints, not for one of 2000.
    const long long room = bench::kSweepMemoryReserveBytes + bench::PeakBytes(Button(1000), 1000);
    const auto [noMemory, clickedNoMemory] = RunAll(std::get<SweepPlan>(Plan({1000}, SweepRequest::Sizes{1000, 8000, 1})), [&] { return room; });
    ASSERT_EQ(noMemory.stops.size(), 1u);
    EXPECT_EQ(std::tuple(noMemory.stops[0].reason, noMemory.stops[0].count, noMemory.stops[0].availableBytes),
              std::tuple(SweepStop::Reason::Memory, 2000, room));
    EXPECT_EQ(only(clickedNoMemory), std::set{1000});

    // A size the kernel refuses: the click fails, its size and the larger ones stop.
    SweepPlan refused = std::get<SweepPlan>(Plan({1041}, SweepRequest::Sizes{1000, 2000, 1}));
    refused.subjects.push_back({&Button(1041), bench::kGlobalArrayLength + 1, 8u * (bench::kGlobalArrayLength + 1)});
    const auto [failed, clickedFailed] = RunAll(refused);
    ASSERT_EQ(failed.stops.size(), 1u);
    EXPECT_EQ(std::tuple(failed.stops[0].reason, failed.stops[0].count), std::tuple(SweepStop::Reason::Failed, bench::kGlobalArrayLength + 1));
    EXPECT_FALSE(failed.stops[0].error.empty());
    EXPECT_EQ(std::count(clickedFailed.begin(), clickedFailed.end(), bench::kGlobalArrayLength + 1), 1);
}

TEST(SweepTest, EachLevelsCostAndWhereTheCurveBends) {
    // Four points per doubling from 4 KiB to 256 MiB: 1 ns inside L1, 2 in L2, 2.1 in L3, 8 in memory.
    std::vector<bench::CurvePoint> curve;
    for (std::size_t bytes : bench::DefaultSweepBytes(std::size_t{256} << 20)) {
        const double ns = bytes <= (32u << 10) ? 1 : bytes <= (1u << 20) ? 2 : bytes <= (32u << 20) ? 2.1 : 8;
        curve.push_back({bytes, static_cast<int>(bytes / 4), ns});
    }
    // Only the sizes well inside a level count: up to half its size, from twice the level below
    // (4 to 16 KiB, 64 to 512 KiB, 2 to 16 MiB, from 64 MiB).
    const std::vector<bench::LevelCost> levels = bench::LevelCosts(curve, kCaches);
    ASSERT_EQ(levels.size(), 4u);
    const std::tuple<int, double, int> expected[] = {{1, 1, 9}, {2, 2, 13}, {3, 2.1, 13}, {0, 8, 9}};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(std::tuple(levels[i].level, *levels[i].nsPerElement, levels[i].sizes), expected[i]);
    const std::vector<bench::CurveBend> bends = bench::Bends(curve, levels);
    ASSERT_EQ(bends.size(), 2u);  // L2 to L3 differ by less than 1.15x
    EXPECT_EQ(std::tuple(bends[0].fromLevel, bends[0].toLevel, bends[0].ratio), std::tuple(1, 2, 2.0));
    EXPECT_EQ(std::tuple(bends[1].fromLevel, bends[1].toLevel), std::tuple(3, 0));
    // Half-way (on the log scale) between the sizes on either side of the crossing: 32768 and 38976 bytes.
    EXPECT_NEAR(bends[0].bytes, std::sqrt(32768.0 * 38976), 1);
    // A spike well inside a level is not where the curve bends.
    curve[40].nsPerElement = 8;  // 4 MiB, inside L3
    ASSERT_EQ(curve[40].bytes, std::size_t{4} << 20);
    EXPECT_GT(bench::Bends(curve, levels)[1].bytes, 16 << 20);
    // A level without a size has no cost, and no bend is drawn to it.
    curve.erase(std::remove_if(curve.begin(), curve.end(), [](const bench::CurvePoint& p) { return p.bytes > (32u << 20); }),
                curve.end());
    const std::vector<bench::LevelCost> short_ = bench::LevelCosts(curve, kCaches);
    EXPECT_FALSE(short_[3].nsPerElement);
    EXPECT_EQ(bench::Bends(curve, short_).size(), 1u);
    // A level that costs less than the one below it is the clicks' spread, not a bend.
    for (bench::CurvePoint& p : curve) p.nsPerElement = p.bytes <= (32u << 10) ? 4 : p.nsPerElement;
    EXPECT_TRUE(bench::Bends(curve, bench::LevelCosts(curve, kCaches)).empty());
}

}  // namespace
