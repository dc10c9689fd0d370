// The statistics and the three reports, from clicks of known durations: what
// each writer states must be what those durations give; and a sweep's figures
// (its complexity fit, its ratios to the baseline of the same bytes, the store
// limit beside each size) from known durations too.
#include "TestUtil.h"
#include "batch/CsvReport.h"
#include "batch/JsonReport.h"
#include "batch/Statistics.h"
#include "batch/SweepResults.h"
#include "batch/SystemInfo.h"
#include "batch/TableReport.h"
#include "dialog/DisplayWidth.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using std::chrono::nanoseconds;
namespace fs = std::filesystem;

TEST(StatisticsTest, SummaryOfKnownDurations) {
    const struct {
        std::vector<long long> ns;
        long long medianHalves;
        double stddev, mdape, maxOverMin;
    } cases[] = {
        {{5, 1, 3}, 6, 2, 0.4, 5},          // errors |x - 3| / x: 0.4, 2 and 0
        {{10, 1, 3, 2}, 5, std::sqrt(50.0 / 3), 0.5, 10},  // between two samples, exactly; errors 1.5, 0.25, 1/6, 0.75
        {{7}, 14, 0, 0, 1},
        {{0, 0, 0}, 0, 0, 0, 0},
        {{0, 0, 4, 4}, 4, std::sqrt(16.0 / 3), 0.75, 0},  // a click of 0 ns has an error of 1, not infinity
    };
    for (const auto& c : cases) {
        std::vector<nanoseconds> durations;
        for (long long v : c.ns) durations.emplace_back(v);
        const batch::Summary s = batch::Summarize(durations);
        SCOPED_TRACE(testing::PrintToString(c.ns));
        EXPECT_EQ(s.samples, static_cast<int>(c.ns.size()));
        EXPECT_EQ(s.median.count(), c.medianHalves);
        EXPECT_DOUBLE_EQ(s.stddevNanoseconds, c.stddev);
        EXPECT_DOUBLE_EQ(s.medianAbsolutePercentError, c.mdape);
        EXPECT_DOUBLE_EQ(s.MaxOverMin(), c.maxOverMin);
    }
    // Values far beyond a double's exact integers stay exact.
    const long long big = (1LL << 61) + 1;
    const batch::Summary large = batch::Summarize({nanoseconds(big), nanoseconds(big + 2)});
    EXPECT_EQ(large.median.count(), 2 * big + 2);
    EXPECT_EQ(large.total.count(), 2 * big + 2);
    EXPECT_EQ(batch::Summarize({}).samples, 0);
    EXPECT_DOUBLE_EQ(batch::Summarize({nanoseconds(5), nanoseconds(1), nanoseconds(3)}).CoefficientOfVariation(), 2.0 / 3);
}

bench::Measurement Timed(long long wallNs, long long cpuNs, long long offCpuNs = 0) {
    bench::Measurement m;
    m.elapsed = std::chrono::duration_cast<std::chrono::system_clock::duration>(nanoseconds(wallNs));
    m.threadCpuTime = nanoseconds(cpuNs);
    m.offCpuTime = nanoseconds(offCpuNs);
    m.elementCount = 7;
    m.sink = CString(L"6");
    return m;
}

// Off the CPU for more than a tenth of the click and 1 us, whatever the CPU
// time says: a short click's CPU time holds a reading of the CPU clock,
// 0.4 us warm and a few microseconds cold, which may hide a loss.
TEST(StatisticsTest, AClickIsPreemptedWhenItsThreadDidNotRunForATenthOfIt) {
    const struct {
        long long wallNs, cpuNs, offCpuNs;
        bool preempted;
    } cases[] = {
        {1000, 1040, 0, false},
        {30, 400, -150, false},                 // count 0: the CPU clock's own reading
        {30, 400, 900, false},                  // under 1 us
        {3'000, 3'800, 1'200, true},            // lost 1.2 us, a cold reading of the CPU clock on top
        {20'000, 22'000, 1'900, false},         // under a tenth
        {20'000, 18'500, 2'100, true},
        {8'000'000, 8'000'000, 790'000, false},
        {8'000'000, 20'000, 7'980'000, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(batch::WasPreempted(Timed(c.wallNs, c.cpuNs, c.offCpuNs)), c.preempted) << c.wallNs << " " << c.cpuNs << " " << c.offCpuNs;
    }
    bench::Measurement failed = Timed(1000, 0, 1'000'000);
    failed.error = bench::KernelError{bench::ErrorKind::Failed, "x"};
    EXPECT_FALSE(batch::WasPreempted(failed));
}

// Adds clicks of one button with these (wall, CPU) durations, in this order.
void Add(batch::BatchRun& run, int button, const std::vector<std::pair<long long, long long>>& durations) {
    if (std::find(run.buttons.begin(), run.buttons.end(), button) == run.buttons.end()) run.buttons.push_back(button);
    int repetition = 0;
    for (const auto& [wall, cpu] : durations) {
        batch::Click click;
        click.buttonId = button;
        click.followsOwnClick = repetition > 0;
        click.repetition = repetition++;
        click.measurement = Timed(wall, cpu);
        run.clicks.push_back(click);
    }
}

void Refuse(batch::BatchRun& run, int button, int clicks) {
    for (int i = 0; i < clicks; ++i) Add(run, button, {{0, 0}});
    for (batch::Click& c : run.clicks) {
        if (c.buttonId == button) c.measurement.error = bench::KernelError{bench::ErrorKind::CountRefused, "count is negative: -5"};
    }
}

batch::SystemInfo KnownSystem() {
    batch::SystemInfo system;
    system.cpuCount = 2;
    system.cpuModel = "Test CPU";
    system.buildType = "Release";
    return system;
}

QJsonObject Json(const batch::BatchRun& run, const batch::SystemInfo& system = KnownSystem()) {
    std::ostringstream out;
    batch::WriteJson(out, run, system);
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()));
    EXPECT_TRUE(doc.isObject()) << out.str();
    return doc.object();
}

QJsonObject Aggregate(const QJsonArray& benchmarks, int button, const char* name) {
    for (const QJsonValue& v : benchmarks) {
        if (v.toObject()["button"].toInt() == button && v.toObject()["aggregate_name"].toString() == name) return v.toObject();
    }
    return {};
}

TEST(JsonReportTest, AggregatesAreOfTheClicksThatFollowTheirOwnInWholeNanoseconds) {
    // The first click (fresh memory) is left out of the statistics, and in
    // rounds the first of each round (it follows other buttons' clicks).
    batch::BatchRun run;
    Add(run, 1012, {{50, 50}, {60, 60}, {70, 70}});
    Add(run, 1000, {{900, 950}, {100, 110}, {500, 500}, {103, 120}, {104, 100}, {110, 50}});
    Refuse(run, 1004, 1);
    run.clicks[5].followsOwnClick = false;
    run.clicks[8].measurement.offCpuTime = nanoseconds(6000);
    run.clicks[4].rate = {4e9, 0.5};
    run.countText = L"\"5\\";  // a pasted count text is any text, quotes and backslashes too
    const QJsonObject report = Json(run);
    EXPECT_EQ(report["context"].toObject()["count_text"].toString(), QStringLiteral("\"5\\"));
    const QJsonArray benchmarks = report["benchmarks"].toArray();
    ASSERT_EQ(benchmarks.size(), 3 + 7 + 6 + 7 + 1);
    EXPECT_EQ(benchmarks[0].toObject()["button"].toInt(), 1012) << "the buttons' order is the order given";
    const QJsonObject first = benchmarks[10].toObject(), counted = benchmarks[11].toObject();
    EXPECT_TRUE(first["first_click"].toBool());
    EXPECT_EQ(first["real_time"].toInteger(), 900);
    EXPECT_EQ(first["cpu_time"].toInteger(), 950);
    EXPECT_FALSE(counted["first_click"].toBool());
    EXPECT_EQ(counted["bytes_per_second"].toDouble(), 4e9);
    EXPECT_EQ(counted["fraction_of_limit"].toDouble(), 0.5);
    EXPECT_TRUE(benchmarks[12].toObject()["bytes_per_second"].isNull());
    EXPECT_TRUE(benchmarks[15].toObject()["preempted"].toBool());
    EXPECT_FALSE(benchmarks[14].toObject()["preempted"].toBool());
    const QJsonObject refused = benchmarks.last().toObject();
    EXPECT_EQ(refused["error"].toString(), QStringLiteral("count is negative: -5"));
    EXPECT_TRUE(refused["error_occurred"].toBool());
    EXPECT_TRUE(refused["count"].isNull() && refused["sink"].isNull() && refused["result_text"].isNull());

    const QJsonObject median = Aggregate(benchmarks, 1000, "median");
    EXPECT_EQ(median["name"].toString().toStdString(), "1000 int[] new　動的配列_median");
    EXPECT_EQ(median["iterations"].toInt(), 4);
    EXPECT_EQ(median["real_time"].toDouble(), 103.5);
    EXPECT_EQ(median["cpu_time"].toDouble(), 105.0);
    EXPECT_EQ(Aggregate(benchmarks, 1000, "mean")["real_time"].toDouble(), 104.25);
    EXPECT_EQ(Aggregate(benchmarks, 1000, "min")["real_time"].toInteger(), 100);
    EXPECT_EQ(Aggregate(benchmarks, 1000, "max")["real_time"].toInteger(), 110);
    EXPECT_EQ(Aggregate(benchmarks, 1000, "max")["cpu_time"].toInteger(), 120);
    // |x - 103.5| / x for 100, 103, 104, 110: the median of 0.035, 0.00485, 0.00481 and 0.0591.
    EXPECT_NEAR(Aggregate(benchmarks, 1000, "mdape")["real_time"].toDouble(), (3.5 / 100 + 0.5 / 103) / 2, 1e-12);
    EXPECT_EQ(Aggregate(benchmarks, 1000, "mdape")["aggregate_unit"].toString(), QStringLiteral("percentage"));
    EXPECT_NEAR(Aggregate(benchmarks, 1000, "stddev")["real_time"].toDouble(), std::sqrt(52.75 / 3), 1e-9);
    EXPECT_EQ(Aggregate(benchmarks, 1012, "median")["real_time"].toDouble(), 65.0);
    // Aggregates only for two counted clicks or more.
    for (const auto& [clicks, entries] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 3 + 7}}) {
        batch::BatchRun few;
        Add(few, 1000, std::vector<std::pair<long long, long long>>(static_cast<std::size_t>(clicks), {100, 100}));
        EXPECT_EQ(Json(few)["benchmarks"].toArray().size(), entries) << clicks;
    }
}

TEST(JsonReportTest, TheContextSaysOnlyWhatWasRead) {
    batch::BatchRun run;
    Add(run, 1000, {{1, 1}});
    batch::SystemInfo system = KnownSystem();
    QJsonObject context = Json(run, system)["context"].toObject();
    for (const char* unknown : {"cpu_scaling_enabled", "mhz_per_cpu", "load_avg"}) EXPECT_FALSE(context.contains(unknown)) << unknown;
    EXPECT_TRUE(context["caches"].toArray().isEmpty());
    system.cpuScalingEnabled = true;
    system.mhzPerCpu = 2445.4;
    system.loadAverage = std::array<double, 3>{0.5, 1, 2};
    system.caches = {{"Data", 1, 32768, 1}, {"Unified", 3, 33554432, 2}};
    context = Json(run, system)["context"].toObject();
    EXPECT_TRUE(context["cpu_scaling_enabled"].toBool());
    EXPECT_EQ(context["mhz_per_cpu"].toInt(), 2445);
    EXPECT_EQ(context["load_avg"].toArray()[2].toDouble(), 2.0);
    const QJsonObject l3 = context["caches"].toArray()[1].toObject();
    EXPECT_EQ(l3, QJsonObject({{"type", "Unified"}, {"level", 3}, {"size", 33554432}, {"num_sharing", 2}}));

    // Scaling from the governors, unknown without cpufreq.
    ScratchFolder scratch("velquor-sysfs");
    const fs::path& root = scratch.path();
    fs::create_directories(root / "cpu0");
    EXPECT_FALSE(batch::ReadCpuScaling(root, 2).has_value());
    for (const auto& [cpu, governor] : {std::pair{"cpu0", "performance"}, {"cpu1", "schedutil"}}) {
        fs::create_directories(root / cpu / "cpufreq");
        std::ofstream(root / cpu / "cpufreq/scaling_governor") << governor << "\n";
        EXPECT_EQ(batch::ReadCpuScaling(root, 2), std::string(cpu) == "cpu1");
    }
    EXPECT_EQ(batch::ReadCpuScaling(root, 1), false);
}

// The lines of text that hold part.
std::vector<std::string> LinesOf(const std::string& text, const std::string& part) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.find(part) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> TableLines(const batch::BatchRun& run, const std::string& part) {
    std::ostringstream out;
    batch::WriteTable(out, run, KnownSystem());
    return LinesOf(out.str(), part);
}

TEST(TableReportTest, MarksFailedRowsAndColumnsThatLineUpPastJapaneseCaptions) {
    batch::BatchRun run;
    Add(run, 1000, {{500, 500}, {100, 100}, {101, 101}, {250, 250}});  // max/min 2.5
    Add(run, 1006, {{500, 500}, {100, 100}, {112, 112}, {124, 124}});  // MdAPE ~10 %
    Add(run, 1008, {{100, 100}, {100, 100}, {100, 40}});
    run.clicks.back().measurement.offCpuTime = nanoseconds(6000);  // one preempted
    Refuse(run, 1004, 2);
    run.storeLimits = {{{80000}, 8e9}};
    const std::vector<std::string> rows = TableLines(run, "  O3  ");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, 2), "* ");
    EXPECT_EQ(rows[1].substr(0, 2), " ~");
    EXPECT_NE(rows[1].find("      9.7  "), std::string::npos) << "MdAPE % of 100, 112, 124: " << rows[1];
    EXPECT_EQ(rows[2].substr(0, 2), "  ");
    EXPECT_NE(rows[2].find("          1  "), std::string::npos) << rows[2];  // preempted clicks
    EXPECT_NE(rows[3].find("2 of 2 clicks failed: count is negative: -5"), std::string::npos) << rows[3];
    // The element counts end in the same terminal column on every row,
    // whatever the caption's mix of narrow and wide characters.
    std::set<int> columns;
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = rows[i].find("       7  ");
        ASSERT_NE(at, std::string::npos) << rows[i];
        columns.insert(dialog::DisplayWidth(CString(rows[i].substr(0, at).c_str()).GetString()));
    }
    EXPECT_EQ(columns.size(), 1u);
    // The first click is shown apart and in no statistic: 0.0005 ms only in its column.
    EXPECT_NE(rows[0].find("    0.000500  "), std::string::npos) << rows[0];
    EXPECT_EQ(rows[0].rfind("0.000500"), rows[0].find("0.000500"));
    EXPECT_EQ(TableLines(run, "  80000 bytes: 8.0 GB/s").size(), 1u);
}

TEST(CsvReportTest, DurationsAreWholeNanosecondsAndTheFirstClickIsMarked) {
    batch::BatchRun run;
    Add(run, 1000, {{123456789, 123456001}, {7, 7}, {9, 9}});
    // A rate as the runner sets it (28 bytes in 123456789 ns); none for the others.
    run.clicks[0].rate = {28 / 0.123456789, 0.5};
    run.clicks[2].round = 1;  // the first click of the next round follows another button's
    run.clicks[2].followsOwnClick = false;
    std::ostringstream out;
    batch::WriteCsv(out, run);
    EXPECT_EQ(out.str(),
              "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error,cpu_time_ns,preempted,"
              "first_click,round,position,follows_own_click,variant,bytes_per_second,fraction_of_limit,ratio_to_baseline,"
              "ratio_low,ratio_high\n"
              "1000,int[] new　動的配列,0,7,123456789,123.456000ms,6,0,,123456001,0,1,0,0,0,O3,226.80000206388002,0.5,,,\n"
              "1000,int[] new　動的配列,1,7,7,0.000000ms,6,0,,7,0,0,0,0,1,O3,,,,,\n"
              "1000,int[] new　動的配列,2,7,9,0.000000ms,6,0,,9,0,0,1,0,0,O3,,,,,\n");
}

std::string LineOf(const std::string& text, const std::string& part) {
    const std::vector<std::string> lines = LinesOf(text, part);
    return lines.empty() ? "" : lines.front();
}

TEST(BaselineRatioTest, EachRoundSetsAButtonAgainstTheBaselineOfTheSameRound) {
    // Seven rounds of 1000, 1004 and 1008, each button twice a round: a first
    // click that is not counted, then one that is. The machine's speed moves from
    // round to round; 1000 always takes 2.5 times 1008 in the same round, 1004
    // about as long. 1000's counted click of round 3 failed.
    batch::BatchRun run;
    run.buttons = {1000, 1004, 1008};
    run.baseline = batch::BaselineName{1008, &bench::DefaultVariant()};
    const double speed[] = {10, 30, 12, 28, 11, 25, 20}, near1[] = {1.1, 0.9, 1.05, 0.95, 1.2, 0.97, 1.02};
    for (int round = 0; round < 7; ++round) {
        for (const auto& [id, us] : {std::pair{1000, speed[round] * 2.5}, {1004, speed[round] * near1[round]}, {1008, speed[round]}}) {
            // 1000 has a third click in round 5, four times as long: preempted, it pairs with nothing.
            for (int click = 0; click < (id == 1000 && round == 5 ? 3 : 2); ++click) {
                bench::Measurement m;
                m.elapsed = std::chrono::microseconds(click == 0 ? 999 : 0) + std::chrono::nanoseconds(std::llround(us * 1000 * click * click));
                m.offCpuTime = click == 2 ? std::chrono::nanoseconds(m.elapsed) : std::chrono::nanoseconds(0);
                if (id == 1000 && round == 3 && click == 1) m.error = bench::KernelError{bench::ErrorKind::Failed, "x"};
                run.clicks.push_back({.buttonId = id, .round = round, .followsOwnClick = click > 0, .measurement = m, .pageFaults = 0, .rate = {}});
            }
        }
    }
    std::ostringstream table, json, csv;
    batch::WriteTable(table, run, batch::SystemInfo{});
    // Every round's ratio is 2.5, whatever the speed; the round without 1000's click is left out.
    EXPECT_NE(LineOf(table.str(), "1000  O3").find("2.500 [2.500, 2.500]  "), std::string::npos) << table.str();
    EXPECT_NE(LineOf(table.str(), "1004  O3").find("1.020 [0.900, 1.200] no difference shown"), std::string::npos);
    EXPECT_NE(LineOf(table.str(), "1008  O3").find("  baseline  "), std::string::npos);
    batch::WriteCsv(csv, run);
    EXPECT_TRUE(LineOf(csv.str(), "1004,vector").ends_with(",O3,,,1.02,0.90000000000000002,1.2")) << csv.str();
    batch::WriteJson(json, run, batch::SystemInfo{});
    EXPECT_NE(LineOf(json.str(), "\"1000 int[] new　動的配列_median\"")
                  .find("\"is_baseline\": false, \"ratio_to_baseline\": 2.5, \"ratio_low\": 2.5, \"ratio_high\": 2.5, "
                        "\"ratio_confidence\": 0.96875, \"ratio_rounds\": 6, \"difference_shown\": true, \"ratio_note\": null"),
              std::string::npos) << json.str();

    // A baseline whose clicks all failed leaves every ratio out, and says why.
    for (batch::Click& c : run.clicks) {
        if (c.buttonId == 1008) c.measurement.error = bench::KernelError{bench::ErrorKind::CountRefused, "count is negative: -5"};
    }
    table.str("");
    batch::WriteTable(table, run, batch::SystemInfo{});
    EXPECT_NE(LineOf(table.str(), "1000  O3").find("no ratio: the baseline 1008/O3 has no counted click: all failed"), std::string::npos);
}

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
