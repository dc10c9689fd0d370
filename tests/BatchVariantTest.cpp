// The batch mode's build variants and store limits: planning every button in
// every variant into the same rounds, and the names and rates the reports
// give each variant's clicks (choosing them on the command line:
// CommandLineTest.cpp).
#include "TestUtil.h"
#include "batch/JsonReport.h"
#include "batch/Options.h"
#include "batch/Results.h"
#include "batch/Runner.h"
#include "batch/Schedule.h"
#include "batch/TableReport.h"
#include "bench/Buttons.h"

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

using Names = std::vector<std::string>;

class BatchVariantTest : public ::testing::Test {
protected:
    ~BatchVariantTest() override { bench::SetCpuCheck(nullptr); }

    /// Plays a CPU without AVX2.
    static void WithoutAvx2() {
        bench::SetCpuCheck([](std::string_view) { return false; });
    }

    static const bench::Variant* Named(std::string_view name) { return bench::FindVariant(name); }
};

TEST_F(BatchVariantTest, EveryRoundHoldsEveryButtonInEveryVariantShuffledTogether) {
    const std::vector<int> buttons{1000, 1012, 1041};
    const std::vector<const bench::Variant*> variants{Named("O0"), Named("O3"), Named("O2")};
    bool variantsApart = false;
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        const std::vector<batch::PlannedClick> plan = batch::PlanClicks(buttons, variants, 7, batch::Order::Rounds, seed);
        ASSERT_EQ(plan.size(), 9u * 7u);
        // Per round, each pair once, its clicks together; 7 clicks make rounds of 3, 2 and 2.
        std::map<int, std::vector<std::pair<int, const bench::Variant*>>> rounds;
        std::map<std::pair<int, const bench::Variant*>, int> next;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            const batch::PlannedClick& c = plan[i];
            const std::pair pair{c.buttonId, c.variant};
            EXPECT_EQ(c.repetition, next[pair]++);
            auto& order = rounds[c.round];
            if (order.empty() || order.back() != pair) order.push_back(pair);
        }
        ASSERT_EQ(rounds.size(), 3u);
        for (const auto& [round, order] : rounds) {
            EXPECT_EQ(std::set(order.begin(), order.end()).size(), 9u) << "round " << round << " seed " << seed;
            EXPECT_EQ(order.size(), 9u) << "a pair split within round " << round;
            // Shuffled together: some round puts another button between two variants of one.
            for (std::size_t i = 1; i < order.size(); ++i) variantsApart = variantsApart || order[i].first != order[i - 1].first;
        }
        for (const auto& [pair, clicks] : next) EXPECT_EQ(clicks, 7);
    }
    EXPECT_TRUE(variantsApart);
    // One variant alone plans as the buttons alone always did: a seed repeats an older run's order.
    const auto alone = batch::PlanClicks(buttons, {&bench::DefaultVariant()}, 7, batch::Order::Rounds, 5);
    for (const batch::PlannedClick& c : alone) EXPECT_EQ(c.variant, &bench::DefaultVariant());
}

TEST_F(BatchVariantTest, BlocksPutTheVariantsOfOneButtonSideBySide) {
    const std::vector<const bench::Variant*> variants{Named("O2"), Named("O0")};
    const std::vector<batch::PlannedClick> plan = batch::PlanClicks({1055, 1000}, variants, 2, batch::Order::Blocks, 1);
    std::vector<std::pair<int, std::string_view>> order;
    for (const batch::PlannedClick& c : plan) order.emplace_back(c.buttonId, c.variant->name);
    const std::vector<std::pair<int, std::string_view>> expected{{1055, "O2"}, {1055, "O2"}, {1055, "O0"}, {1055, "O0"},
                                                                  {1000, "O2"}, {1000, "O2"}, {1000, "O0"}, {1000, "O0"}};
    EXPECT_EQ(order, expected);
}

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

QJsonObject Json(const batch::BatchRun& run) {
    std::ostringstream out;
    batch::WriteJson(out, run, batch::SystemInfo{});
    return QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
}

TEST_F(BatchVariantTest, EachVariantHasItsOwnNameAndItsStatisticsCountOnlyItsOwnClicks) {
    const batch::BatchRun run = RunVariants({1000, 1041, 1055}, {Named("O0"), &bench::DefaultVariant()}, 4,
                                            batch::Order::Rounds);
    ASSERT_EQ(run.clicks.size(), 24u);

    Names order;
    for (const batch::ButtonResult& r : batch::GroupByButton(run)) {
        order.push_back(batch::BenchmarkName(r.buttonId, *r.variant));
        // Only clicks right after one of the same button in the same variant
        // count: 4 clicks in rounds of 2 give 2, or 3 where a round begins
        // with the pair that ended the one before.
        int followingOwn = 0;
        for (const batch::Click* c : r.clicks) {
            EXPECT_EQ(c->variant, r.variant);
            followingOwn += c->followsOwnClick;
        }
        EXPECT_EQ(r.elapsed.samples, followingOwn) << order.back();
        EXPECT_GE(followingOwn, 2) << order.back();
    }
    EXPECT_EQ(order, (Names{"1000 int[] new　動的配列/O0", "1000 int[] new　動的配列", "1041 静的配列/O0", "1041 静的配列",
                            "1055 ポインタ　静的配列　動かない (初期化した場合)/O0",
                            "1055 ポインタ　静的配列　動かない (初期化した場合)"}));
    for (std::size_t i = 1; i < run.clicks.size(); ++i) {
        const batch::Click& before = run.clicks[i - 1];
        const batch::Click& c = run.clicks[i];
        EXPECT_EQ(c.followsOwnClick, before.buttonId == c.buttonId && before.variant == c.variant) << i;
    }

    // The JSON's entries carry their variant; the aggregates' names follow their runs'.
    const QJsonObject report = Json(run);
    std::map<QString, int> iterations;
    for (const QJsonValue& value : report["benchmarks"].toArray()) {
        const QJsonObject b = value.toObject();
        const bool o0 = b["variant"].toString() == QStringLiteral("O0");
        EXPECT_EQ(b["run_name"].toString().endsWith(QStringLiteral("/O0")), o0) << b["name"].toString().toStdString();
        EXPECT_TRUE(b["name"].toString().startsWith(b["run_name"].toString()));
        if (b["run_type"].toString() == QStringLiteral("iteration")) ++iterations[b["variant"].toString()];
    }
    EXPECT_EQ(iterations, (std::map<QString, int>{{"O0", 12}, {"O3", 12}}));
    const QJsonArray variants = report["context"].toObject()["variants"].toArray();
    ASSERT_EQ(variants.size(), 2);
    EXPECT_EQ(variants[0].toObject()["name"].toString(), QStringLiteral("O0"));
    EXPECT_FALSE(variants[0].toObject()["default"].toBool());
    EXPECT_TRUE(variants[0].toObject()["compile_flags"].toString().contains(QStringLiteral("-O0")));
    EXPECT_TRUE(variants[1].toObject()["default"].toBool());
    // How steady each pair was, under the same name as its entries.
    const QJsonArray steadiness = report["stability"].toObject()["buttons"].toArray();
    ASSERT_EQ(steadiness.size(), 6);
    EXPECT_EQ(steadiness[0].toObject()["name"].toString(), QStringLiteral("1000 int[] new　動的配列/O0"));

    // The table: a row per pair, the variant in its own column under its heading.
    std::ostringstream table;
    batch::WriteTable(table, run, batch::SystemInfo{});
    std::istringstream lines(table.str());
    std::map<std::string, std::size_t> columns;
    for (std::string line; std::getline(lines, line);) {
        for (const char* key : {"variant  caption", "1000  O0  ", "1000  O3  "}) {
            if (const std::size_t at = line.find(key); at != std::string::npos) columns[key] = at + std::string(key).find_first_of("vO");
        }
    }
    ASSERT_EQ(columns.size(), 3u) << table.str();
    EXPECT_EQ(columns["1000  O0  "], columns["variant  caption"]) << table.str();
    EXPECT_EQ(columns["1000  O3  "], columns["variant  caption"]) << table.str();
    EXPECT_NE(table.str().find("4 clicks per button and variant"), std::string::npos) << table.str();
}

TEST_F(BatchVariantTest, EveryClickStatesItsBytesPerSecondAndItsShareOfTheLimitMeasuredFirst) {
    const batch::BatchRun run =
        RunVariants({1000, 1041, 1055, 1024}, {&bench::DefaultVariant()}, 3, batch::Order::Blocks, L"20000");
    // The sizes these buttons store: 20000 int, 20000 elements of a global
    // array, and the 100000 strings of the fixed array; the moving pointer stores nothing.
    ASSERT_EQ(run.storeLimits.size(), 3u);
    const double intLimit = run.storeLimits.at({80000});
    const double globalLimit = run.storeLimits.at({160000});
    EXPECT_GT(run.storeLimits.at({800000}), 0);

    for (const batch::Click& c : run.clicks) {
        const double seconds = std::chrono::duration<double>(c.measurement.elapsed).count();
        if (c.buttonId == 1055 || seconds <= 0) {
            EXPECT_EQ(c.rate.bytesPerSecond, std::nullopt) << c.buttonId;
            EXPECT_EQ(c.rate.fractionOfLimit, std::nullopt) << c.buttonId;
            continue;
        }
        ASSERT_TRUE(c.rate.bytesPerSecond && c.rate.fractionOfLimit) << c.buttonId;
        const double bytes = c.buttonId == 1000 ? 80000 : c.buttonId == 1041 ? 160000 : 800000;
        EXPECT_NEAR(*c.rate.bytesPerSecond, bytes / seconds, *c.rate.bytesPerSecond * 1e-9) << c.buttonId;
        if (c.buttonId == 1000) {
            EXPECT_NEAR(*c.rate.fractionOfLimit, *c.rate.bytesPerSecond / intLimit, 1e-9);
        }
        if (c.buttonId == 1041) {
            EXPECT_NEAR(*c.rate.fractionOfLimit, *c.rate.bytesPerSecond / globalLimit, 1e-9);
        }
    }

    // The median's rate, and the time the chart marks: the bytes at the limit.
    for (const batch::ButtonResult& r : batch::GroupByButton(run)) {
        if (r.buttonId == 1055) {
            EXPECT_FALSE(r.timeAtLimit);
            EXPECT_FALSE(r.medianRate.bytesPerSecond);
            continue;
        }
        ASSERT_TRUE(r.timeAtLimit) << r.buttonId;
        if (r.buttonId == 1000) {
            EXPECT_DOUBLE_EQ(r.timeAtLimit->count(), 80000 / intLimit);
        }
        const double medianSeconds = std::chrono::duration<double>(r.elapsed.median).count();
        if (medianSeconds > 0) {
            ASSERT_TRUE(r.medianRate.fractionOfLimit) << r.buttonId;
            EXPECT_NEAR(*r.medianRate.fractionOfLimit, r.timeAtLimit->count() / medianSeconds, 1e-9) << r.buttonId;
        }
    }

    // The JSON states the same figures, click by click, and the limits they were set against.
    const QJsonObject report = Json(run);
    EXPECT_EQ(report["context"].toObject()["store_limits"].toArray().size(), 3);
    std::size_t index = 0;
    for (const QJsonValue& value : report["benchmarks"].toArray()) {
        const QJsonObject b = value.toObject();
        if (b["run_type"].toString() != QStringLiteral("iteration")) {
            // Rates for the aggregates that are times, none for the spreads.
            const bool time = b["aggregate_name"].toString() != "stddev" && b["aggregate_unit"].toString() == "time";
            EXPECT_EQ(b.contains("bytes_per_second"), time) << b["name"].toString().toStdString();
            continue;
        }
        ASSERT_LT(index, run.clicks.size());
        const batch::Click& c = run.clicks[index++];
        EXPECT_EQ(b["button"].toInt(), c.buttonId);
        EXPECT_EQ(b["bytes_per_second"].isNull(), !c.rate.bytesPerSecond) << c.buttonId;
        if (c.rate.fractionOfLimit) {
            EXPECT_DOUBLE_EQ(b["fraction_of_limit"].toDouble(), *c.rate.fractionOfLimit) << c.buttonId;
        }
    }
    EXPECT_EQ(index, run.clicks.size());

    std::ostringstream table;
    batch::WriteTable(table, run, batch::SystemInfo{});
    EXPECT_NE(table.str().find("  80000 bytes: "), std::string::npos) << table.str();
    EXPECT_NE(table.str().find("  160000 bytes: "), std::string::npos) << table.str();
}

TEST_F(BatchVariantTest, AFillTooSmallForTheClockStatesNoRate) {
    // 1000 ints are 4000 bytes, stored in about the time of one clock reading:
    // a rate would measure the clock, so none is stated and no limit measured.
    const batch::BatchRun run = RunVariants({1000, 1041}, {&bench::DefaultVariant()}, 3, batch::Order::Blocks);
    EXPECT_TRUE(run.storeLimits.empty());
    for (const batch::Click& c : run.clicks) {
        EXPECT_EQ(c.rate.bytesPerSecond, std::nullopt) << c.buttonId;
        EXPECT_EQ(c.rate.fractionOfLimit, std::nullopt) << c.buttonId;
    }
    for (const batch::ButtonResult& r : batch::GroupByButton(run)) EXPECT_FALSE(r.timeAtLimit) << r.buttonId;
}

TEST_F(BatchVariantTest, AVariantTheCpuCannotRunFailsItsClicksInsteadOfRunningThem) {
    WithoutAvx2();
    const batch::BatchRun run = RunVariants({1000}, {Named("avx2"), &bench::DefaultVariant()}, 2, batch::Order::Blocks);
    ASSERT_EQ(run.clicks.size(), 4u);
    for (const batch::Click& c : run.clicks) {
        EXPECT_EQ(c.measurement.Succeeded(), c.variant->isDefault);
        if (!c.variant->isDefault) {
            EXPECT_EQ(batch::ErrorOf(c), L"variant avx2 needs a CPU with x86-64-v3, which this one is not");
            EXPECT_FALSE(c.rate.bytesPerSecond);
        }
    }
}

}  // namespace
