// The batch mode's runner: its order of clicks, every button in every build
// variant shuffled together into the rounds or side by side in blocks; the
// clicks it then makes, with the probe before each round; the stability
// figures from known durations; each variant's clicks under their own name;
// and every click's rate against the store limit of its bytes. (The rounds
// themselves: bench/RoundsTest.cpp; the reports: BatchReportTest.cpp.)
#include "TestUtil.h"
#include "batch/JsonReport.h"
#include "batch/Results.h"
#include "batch/Runner.h"
#include "batch/Schedule.h"
#include "batch/Stability.h"
#include "batch/SystemInfo.h"
#include "batch/TableReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using batch::Order;
using batch::PlannedClick;
using std::chrono::nanoseconds;
using namespace std::chrono_literals;

batch::BatchRun RunVariants(const std::vector<int>& buttons, std::vector<const bench::Variant*> variants, int repetitions,
                            batch::Order order, const wchar_t* count = L"1000") {
    batch::Options options;
    options.buttons = buttons;
    options.countText = count;
    options.repetitions = repetitions;
    options.variants = std::move(variants);
    options.order = order;
    options.seed = 12;
    return batch::RunButtons(options, {});
}

const bench::Variant* const kO0 = bench::FindVariant("O0");

// How the rounds themselves go (repetitions, each item once a round, the
// seed): bench/RoundsTest.cpp. Here a button in a variant is one item.
TEST(ScheduleTest, EachButtonInEachVariantIsOneItemOfTheRoundsOrSideBySideInBlocks) {
    const std::vector<PlannedClick> plan = batch::PlanClicks({1000, 1012, 1041}, {kO0, &bench::DefaultVariant(), bench::FindVariant("O2")}, 7, Order::Rounds, 3);
    ASSERT_EQ(plan.size(), 9u * 7u);
    std::map<int, std::vector<std::pair<int, const bench::Variant*>>> rounds;
    for (const PlannedClick& c : plan) {
        auto& order = rounds[c.round];
        if (order.empty() || order.back() != std::pair(c.buttonId, c.variant)) order.push_back({c.buttonId, c.variant});
    }
    ASSERT_EQ(rounds.size(), 3u);
    bool variantsApart = false;  // shuffled together: some round has another button between two variants of one
    for (const auto& [round, order] : rounds) {
        EXPECT_EQ(order.size(), 9u);
        EXPECT_EQ(std::set(order.begin(), order.end()).size(), 9u) << round;
        int changes = 0;
        for (std::size_t i = 1; i < order.size(); ++i) changes += order[i].first != order[i - 1].first;
        variantsApart = variantsApart || changes > 2;
    }
    EXPECT_TRUE(variantsApart);

    std::vector<std::tuple<int, std::string_view, int, int>> blocks;
    for (const PlannedClick& c : batch::PlanClicks({1055, 1000}, {bench::FindVariant("O2"), kO0}, 2, Order::Blocks, 1)) {
        blocks.emplace_back(c.buttonId, c.variant->name, c.repetition, c.round);
    }
    EXPECT_EQ(blocks, (std::vector<std::tuple<int, std::string_view, int, int>>{
                          {1055, "O2", 0, 0}, {1055, "O2", 1, 0}, {1055, "O0", 0, 0}, {1055, "O0", 1, 0},
                          {1000, "O2", 0, 0}, {1000, "O2", 1, 0}, {1000, "O0", 0, 0}, {1000, "O0", 1, 0}}));
}

// A run in either order: every click in its place, the seed repeating them;
// each button's clicks in each variant under a name of their own, counted only
// after one of the same button in the same variant, the first marked as such;
// the probe before every round.
TEST(BatchRunTest, EachVariantsClicksHaveTheirOwnNameAndCountOnlyAfterTheirOwn) {
    for (Order order : {Order::Rounds, Order::Blocks}) {
        const bool rounds = order == Order::Rounds;
        SCOPED_TRACE(rounds ? "rounds" : "blocks");
        const batch::BatchRun run = RunVariants({1000, 1012, 1041}, {kO0, &bench::DefaultVariant()}, 7, order, L"3");
        const batch::BatchRun again = RunVariants({1000, 1012, 1041}, {kO0, &bench::DefaultVariant()}, 7, order, L"3");
        ASSERT_EQ(run.clicks.size(), 42u);
        for (std::size_t i = 0; i < run.clicks.size(); ++i) {
            const batch::Click& c = run.clicks[i];
            EXPECT_EQ(c.position, static_cast<int>(i));
            EXPECT_EQ(c.followsOwnClick, i > 0 && run.clicks[i - 1].buttonId == c.buttonId && run.clicks[i - 1].variant == c.variant) << i;
            EXPECT_EQ(std::pair(c.buttonId, c.variant), std::pair(again.clicks[i].buttonId, again.clicks[i].variant)) << i;
            EXPECT_EQ(c.measurement.elementCount, c.buttonId == 1012 ? 100000 : 3);  // the fixed array ignores the count
        }
        std::vector<std::string> names;
        for (const batch::ButtonResult& r : batch::GroupByButton(run)) {
            names.push_back(batch::BenchmarkName(r.buttonId, *r.variant));
            EXPECT_EQ(r.First().repetition, 0);
            int followingOwn = 0;
            for (const batch::Click* c : r.clicks) {
                EXPECT_EQ(c->variant, r.variant);
                followingOwn += c->followsOwnClick;
            }
            // 7 clicks: in blocks all but the first count; in rounds (3, 2 and 2 clicks) all but the first of
            // each round, unless it follows the same button's click that ended the round before.
            EXPECT_EQ(r.elapsed.samples, followingOwn) << names.back();
            EXPECT_TRUE(rounds ? followingOwn >= 4 && followingOwn <= 6 : followingOwn == 6) << names.back();
        }
        EXPECT_EQ(names.size(), 6u);
        EXPECT_EQ(names[0], "1000 int[] new　動的配列/O0");
        EXPECT_EQ(names[1], "1000 int[] new　動的配列");
        // The probe runs before every round, and only in rounds.
        EXPECT_EQ(run.rounds, rounds ? 3 : 1);
        ASSERT_EQ(run.probes.size(), rounds ? 3u * batch::kProbeClicksPerRound : 0u);
        for (std::size_t i = 0; i < run.probes.size(); ++i) {
            EXPECT_EQ(run.probes[i].round, static_cast<int>(i) / batch::kProbeClicksPerRound);
            EXPECT_EQ(run.probes[i].measurement.elementCount, bench::kProbeLength);
        }

        // The JSON report: every click where it ran, the first of each button and variant marked.
        std::ostringstream out;
        batch::WriteJson(out, run, batch::ReadSystemInfo(nullptr));
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
        const QJsonObject context = report["context"].toObject();
        for (const char* key : {"date", "host_name", "executable", "library_build_type"}) EXPECT_FALSE(context[key].toString().isEmpty()) << key;
        EXPECT_EQ(context["order"].toString(), QString(rounds ? "rounds" : "blocks"));
        const QJsonArray variants = context["variants"].toArray();
        ASSERT_EQ(variants.size(), 2);
        EXPECT_TRUE(variants[0].toObject()["compile_flags"].toString().contains(QStringLiteral("-O0")));
        EXPECT_EQ(variants[1].toObject()["default"].toBool(), true);
        EXPECT_EQ(report.contains("stability"), rounds);
        std::set<QString> seen;
        for (const QJsonValue& v : report["benchmarks"].toArray()) {
            const QJsonObject b = v.toObject();
            EXPECT_EQ(b["run_name"].toString().endsWith("/O0"), b["variant"].toString() == "O0") << b["name"].toString().toStdString();
            EXPECT_TRUE(b["name"].toString().startsWith(b["run_name"].toString()));
            if (b["run_type"].toString() != "iteration") continue;
            EXPECT_EQ(b["first_click"].toBool(), seen.insert(b["run_name"].toString()).second);
            EXPECT_EQ(b["first_click"].toBool(), b["repetition_index"].toInt() == 0);
            const batch::Click& click = run.clicks[static_cast<std::size_t>(b["position"].toInt())];
            EXPECT_EQ(click.buttonId, b["button"].toInt());
            EXPECT_EQ(click.round, b["round"].toInt());
            EXPECT_EQ(b["sink"].toString(), QString(click.buttonId == 1000 ? "2" : click.buttonId == 1012 ? "99999" : ""));
        }
        if (!rounds) continue;
        EXPECT_EQ(report["stability"].toObject()["buttons"].toArray()[0].toObject()["name"].toString(), QString::fromStdString(names[0]));

        // The table: a row per pair, the variant in its own column under its heading.
        std::ostringstream table;
        batch::WriteTable(table, run, batch::SystemInfo{});
        const std::string text = table.str();
        const std::size_t heading = text.find("variant  caption");
        ASSERT_NE(heading, std::string::npos) << text;
        for (const char* row : {"1000  O0  ", "1000  O3  "}) {
            const std::size_t at = text.find(row);
            ASSERT_NE(at, std::string::npos) << row << "\n" << text;
            EXPECT_EQ(at + 6 - text.rfind('\n', at), heading - text.rfind('\n', heading)) << row << "\n" << text;
        }
        EXPECT_NE(text.find("7 clicks per button and variant"), std::string::npos) << text;
    }
}

batch::Click Known(int round, int repetition, long long ns, bool ok = true, bool followsOwnClick = true) {
    batch::Click c;
    c.round = round;
    c.repetition = repetition;
    c.followsOwnClick = followsOwnClick;
    c.measurement.elapsed = std::chrono::duration_cast<std::chrono::system_clock::duration>(nanoseconds(ns));
    if (!ok) c.measurement.error = bench::KernelError{bench::ErrorKind::Failed, "x"};
    return c;
}

TEST(StabilityTest, PerRoundMediansAndSpreadsFromKnownDurations) {
    using H = batch::HalfNanoseconds;
    EXPECT_EQ(batch::Spread({}), 0.0);
    EXPECT_EQ(batch::Spread({H(0), H(10)}), 0.0);
    EXPECT_DOUBLE_EQ(batch::Spread({H(30), H(20), H(25)}), 1.5);

    // Round 0: the first click (900) is left out; round 1: its first (500)
    // too, 10 and 13 give 11.5; round 2: a failed click is left out.
    const std::vector<batch::Click> clicks{Known(0, 0, 900, true, false), Known(0, 1, 20), Known(0, 2, 22),
                                           Known(1, 3, 500, true, false), Known(1, 4, 10), Known(1, 5, 13),
                                           Known(2, 6, 700, true, false), Known(2, 7, 16), Known(2, 8, 1, false)};
    std::vector<const batch::Click*> pointers;
    for (const batch::Click& c : clicks) pointers.push_back(&c);
    EXPECT_EQ(batch::RoundMedians(pointers), (std::vector<H>{H(42), H(23), H(32)}));

    // The probe: the median of each round's clicks, one preempted click
    // cannot move it.
    std::vector<batch::ProbeClick> probes;
    for (const auto& [round, ns] : std::vector<std::pair<int, long long>>{{0, 100}, {0, 102}, {0, 5000}, {1, 120}, {1, 121}, {1, 119}}) {
        probes.push_back({round, Known(round, 0, ns).measurement});
    }
    batch::MachineStability machine = batch::ProbeStability(probes);
    EXPECT_EQ(machine.roundMedians, (std::vector<H>{H(204), H(240)}));
    EXPECT_DOUBLE_EQ(machine.spread, 120.0 / 102.0);
    EXPECT_FALSE(machine.moved);
    probes.push_back({2, Known(2, 0, 130).measurement});
    probes.push_back({2, Known(2, 0, 128).measurement});
    machine = batch::ProbeStability(probes);
    EXPECT_DOUBLE_EQ(machine.spread, 129.0 / 102.0);
    EXPECT_TRUE(machine.moved);
    EXPECT_FALSE(batch::ProbeStability({}).moved);
}

TEST(BatchVariantTest, EveryClickAndMedianIsSetAgainstTheLimitOfItsBytesMeasuredFirst) {
    // From known durations: 20000 int (80000 bytes) in 20 us store 4 GB/s, half
    // a limit of 8 GB/s; 20000 global elements are 160000 bytes, with no limit
    // measured; the moving pointer and 1000 int (4000 bytes) state no rate.
    batch::BatchRun known;
    known.storeLimits = {{{80000}, 8e9}};
    const auto rate = [&](int id, int count) { return batch::RateOf(known, *bench::FindButton(id), count, 20us); };
    EXPECT_DOUBLE_EQ(rate(1000, 20000).bytesPerSecond.value_or(0), 4e9);
    EXPECT_DOUBLE_EQ(rate(1000, 20000).fractionOfLimit.value_or(0), 0.5);
    EXPECT_DOUBLE_EQ(rate(1041, 20000).bytesPerSecond.value_or(0), 8e9);
    EXPECT_EQ(rate(1041, 20000).fractionOfLimit, std::nullopt);
    EXPECT_EQ(rate(1055, 100000).bytesPerSecond, std::nullopt);
    EXPECT_EQ(rate(1000, 1000).bytesPerSecond, std::nullopt);
    known.buttons = {1000};
    for (int i = 0; i < 4; ++i) {
        known.clicks.push_back(Known(0, i, 10000 * (i + 1), true, i > 0));
        known.clicks.back().buttonId = 1000;
        known.clicks.back().measurement.elementCount = 20000;
    }
    const batch::ButtonResult median = batch::GroupByButton(known).front();  // of 20, 30 and 40 us
    EXPECT_DOUBLE_EQ(median.medianRate.bytesPerSecond.value_or(0), 80000 / 30e-6);
    EXPECT_DOUBLE_EQ(median.medianRate.fractionOfLimit.value_or(0), 80000 / 30e-6 / 8e9);
    EXPECT_DOUBLE_EQ(median.timeAtLimit.value_or(0s).count(), 80000 / 8e9);

    // A run measures the limits of the sizes its buttons store before its first
    // click, and gives every click its rate against them.
    const batch::BatchRun run = RunVariants({1000, 1041, 1055, 1024}, {&bench::DefaultVariant()}, 2, batch::Order::Blocks, L"20000");
    std::vector<std::size_t> sizes;
    for (const auto& [size, limit] : run.storeLimits) sizes.push_back(size.bytes);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{80000, 160000, 800000}));
    for (const batch::Click& c : run.clicks) {
        const batch::StoreRate expected =
            batch::RateOf(run, *bench::FindButton(c.buttonId), c.measurement.elementCount, c.measurement.elapsed);
        EXPECT_EQ(c.rate.bytesPerSecond, expected.bytesPerSecond) << c.buttonId;
        EXPECT_EQ(c.rate.fractionOfLimit, expected.fractionOfLimit) << c.buttonId;
    }
    EXPECT_TRUE(RunVariants({1000, 1041}, {&bench::DefaultVariant()}, 1, batch::Order::Blocks).storeLimits.empty());
}

TEST(BatchVariantTest, AVariantTheCpuCannotRunFailsItsClicksInsteadOfRunningThem) {
    bench::SetCpuCheck([](std::string_view) { return false; });
    const batch::BatchRun run = RunVariants({1000}, {bench::FindVariant("avx2"), &bench::DefaultVariant()}, 2, batch::Order::Blocks);
    bench::SetCpuCheck(nullptr);
    ASSERT_EQ(run.clicks.size(), 4u);
    for (const batch::Click& c : run.clicks) {
        EXPECT_EQ(c.measurement.Succeeded(), c.variant->isDefault);
        if (!c.variant->isDefault) {
            EXPECT_EQ(batch::ErrorOf(c), L"variant avx2 needs a CPU with x86-64-v3, which this one is not");
        }
    }
}

}  // namespace
