// The statistics and the three reports, from clicks of known durations: what
// each writer states must be what those durations give.
#include "batch/CsvReport.h"
#include "batch/JsonReport.h"
#include "batch/Statistics.h"
#include "batch/SystemInfo.h"
#include "batch/TableReport.h"
#include "TestUtil.h"
#include "batch/Text.h"
#include "dialog/DisplayWidth.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using std::chrono::nanoseconds;
namespace fs = std::filesystem;

std::vector<nanoseconds> Ns(std::initializer_list<long long> values) {
    std::vector<nanoseconds> out;
    for (long long v : values) out.emplace_back(v);
    return out;
}

TEST(StatisticsTest, SummaryOfKnownDurations) {
    const batch::Summary odd = batch::Summarize(Ns({5, 1, 3}));
    EXPECT_EQ(odd.samples, 3);
    EXPECT_EQ(odd.min, nanoseconds(1));
    EXPECT_EQ(odd.max, nanoseconds(5));
    EXPECT_EQ(odd.median, nanoseconds(3));
    EXPECT_EQ(odd.total, nanoseconds(9));
    EXPECT_DOUBLE_EQ(odd.MeanNanoseconds(), 3.0);
    EXPECT_DOUBLE_EQ(odd.stddevNanoseconds, 2.0);
    EXPECT_DOUBLE_EQ(odd.CoefficientOfVariation(), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(odd.MaxOverMin(), 5.0);
    // Errors |x - 3| / x: 0.4, 2 and 0; their median is 0.4.
    EXPECT_DOUBLE_EQ(odd.medianAbsolutePercentError, 0.4);

    // An even count: the median lies between two samples, exactly.
    const batch::Summary even = batch::Summarize(Ns({10, 1, 3, 2}));
    EXPECT_EQ(even.median, batch::HalfNanoseconds(5));  // 2.5 ns
    // Errors: 1.5, 0.25, 1/6 and 0.75; the median of them is (0.25 + 0.75) / 2.
    EXPECT_DOUBLE_EQ(even.medianAbsolutePercentError, 0.5);

    // Values far beyond a double's exact integers stay exact.
    const long long big = (1LL << 61) + 1;
    const batch::Summary large = batch::Summarize(Ns({big, big + 2}));
    EXPECT_EQ(large.median.count(), 2 * big + 2);
    EXPECT_EQ(large.total.count(), 2 * big + 2);

    const batch::Summary one = batch::Summarize(Ns({7}));
    EXPECT_EQ(one.stddevNanoseconds, 0.0);
    EXPECT_EQ(one.medianAbsolutePercentError, 0.0);
    EXPECT_EQ(batch::Summarize({}).samples, 0);
    EXPECT_EQ(batch::Summarize(Ns({0, 0, 0})).medianAbsolutePercentError, 0.0);
    // A click of 0 ns against a median above 0 counts as an error of 1, not infinity.
    EXPECT_EQ(batch::Summarize(Ns({0, 0, 4, 4})).medianAbsolutePercentError, 0.75);
    EXPECT_EQ(batch::Summarize(Ns({0, 4})).MaxOverMin(), 0.0);
}

bench::Measurement Timed(long long wallNs, long long cpuNs, int count = 7) {
    bench::Measurement m;
    m.elapsed = std::chrono::duration_cast<std::chrono::system_clock::duration>(nanoseconds(wallNs));
    m.threadCpuTime = nanoseconds(cpuNs);
    m.elementCount = count;
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
        bench::Measurement m = Timed(c.wallNs, c.cpuNs);
        m.offCpuTime = nanoseconds(c.offCpuNs);
        EXPECT_EQ(batch::WasPreempted(m), c.preempted) << c.wallNs << " " << c.cpuNs << " " << c.offCpuNs;
    }
    bench::Measurement failed = Timed(1000, 0);
    failed.offCpuTime = nanoseconds(1'000'000);
    failed.error = bench::KernelError{bench::ErrorKind::Failed, "x"};
    EXPECT_FALSE(batch::WasPreempted(failed));
}

// A run of one button with these (wall, CPU) durations, in this order.
std::vector<std::string> TableRows(const batch::BatchRun& run);

batch::BatchRun KnownRun(int button, std::initializer_list<std::pair<long long, long long>> durations) {
    batch::BatchRun run;
    run.buttons = {button};
    run.countText = L"7";
    int repetition = 0;
    for (const auto& [wall, cpu] : durations) {
        batch::Click click;
        click.buttonId = button;
        click.followsOwnClick = repetition > 0;
        click.repetition = repetition++;
        click.measurement = Timed(wall, cpu);
        run.clicks.push_back(click);
    }
    return run;
}

void Append(batch::BatchRun& run, const batch::BatchRun& more) {
    if (std::find(run.buttons.begin(), run.buttons.end(), more.buttons.front()) == run.buttons.end()) {
        run.buttons.push_back(more.buttons.front());
    }
    run.clicks.insert(run.clicks.end(), more.clicks.begin(), more.clicks.end());
}

batch::SystemInfo KnownSystem() {
    batch::SystemInfo system;
    system.cpuCount = 2;
    system.cpuModel = "Test CPU";
    system.buildType = "Release";
    return system;
}

QJsonArray Benchmarks(const batch::BatchRun& run, QJsonObject* context = nullptr) {
    std::ostringstream out;
    batch::WriteJson(out, run, KnownSystem());
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()));
    EXPECT_TRUE(doc.isObject()) << out.str();
    if (context) *context = doc.object()["context"].toObject();
    return doc.object()["benchmarks"].toArray();
}

QJsonObject Aggregate(const QJsonArray& benchmarks, const char* name) {
    for (const QJsonValue& v : benchmarks) {
        if (v.toObject()["aggregate_name"].toString() == name) return v.toObject();
    }
    return {};
}

TEST(JsonReportTest, AggregatesAreTheLaterClicksStatisticsInWholeNanoseconds) {
    // The first click (fresh memory) is left out of the statistics.
    batch::BatchRun run = KnownRun(1000, {{900, 950}, {100, 110}, {103, 120}, {104, 100}, {110, 50}});
    run.clicks[4].measurement.offCpuTime = nanoseconds(6000);
    const QJsonArray benchmarks = Benchmarks(run);
    ASSERT_EQ(benchmarks.size(), 5 + 7);
    EXPECT_TRUE(benchmarks[0].toObject()["first_click"].toBool());
    EXPECT_FALSE(benchmarks[1].toObject()["first_click"].toBool());
    EXPECT_EQ(benchmarks[0].toObject()["real_time"].toInteger(), 900);
    EXPECT_EQ(benchmarks[0].toObject()["cpu_time"].toInteger(), 950);
    EXPECT_TRUE(benchmarks[4].toObject()["preempted"].toBool());
    EXPECT_FALSE(benchmarks[3].toObject()["preempted"].toBool());

    const QJsonObject median = Aggregate(benchmarks, "median");
    EXPECT_EQ(median["name"].toString().toStdString(), "1000 int[] new　動的配列_median");
    EXPECT_EQ(median["iterations"].toInt(), 4);
    EXPECT_EQ(median["real_time"].toDouble(), 103.5);
    EXPECT_EQ(median["cpu_time"].toDouble(), 105.0);
    EXPECT_EQ(Aggregate(benchmarks, "mean")["real_time"].toDouble(), 104.25);
    EXPECT_EQ(Aggregate(benchmarks, "min")["real_time"].toInteger(), 100);
    EXPECT_EQ(Aggregate(benchmarks, "max")["real_time"].toInteger(), 110);
    EXPECT_EQ(Aggregate(benchmarks, "max")["cpu_time"].toInteger(), 120);
    // |x - 103.5| / x for 100, 103, 104, 110: the median of 0.035, 0.00485, 0.00481 and 0.0591.
    EXPECT_NEAR(Aggregate(benchmarks, "mdape")["real_time"].toDouble(), (3.5 / 100 + 0.5 / 103) / 2, 1e-12);
    EXPECT_EQ(Aggregate(benchmarks, "mdape")["aggregate_unit"].toString(), QStringLiteral("percentage"));
    EXPECT_NEAR(Aggregate(benchmarks, "stddev")["real_time"].toDouble(), std::sqrt(52.75 / 3), 1e-9);
}

TEST(JsonReportTest, OnlyClicksThatFollowTheirOwnCountAndTheTableKeepsTheGivenOrder) {
    // Clicks in rounds: the first of each round follows other buttons' clicks.
    batch::BatchRun run = KnownRun(1000, {{900, 900}, {100, 100}, {500, 500}, {102, 102}, {104, 104}});
    run.clicks[2].followsOwnClick = false;
    Append(run, KnownRun(1012, {{50, 50}, {60, 60}, {70, 70}}));
    run.buttons = {1012, 1000};
    const QJsonArray benchmarks = Benchmarks(run);
    const QJsonObject median = Aggregate(benchmarks, "median");
    EXPECT_EQ(median["button"].toInt(), 1012) << "the buttons' order is the order given";
    EXPECT_EQ(median["real_time"].toDouble(), 65.0);
    int counted = 0;
    for (const QJsonValue& v : benchmarks) {
        const QJsonObject b = v.toObject();
        if (b["button"].toInt() != 1000) continue;
        if (b["run_type"].toString() == "iteration") {
            counted += b["follows_own_click"].toBool();
        } else if (b["aggregate_name"].toString() == "max") {
            EXPECT_EQ(b["real_time"].toInteger(), 104);
        } else if (b["aggregate_name"].toString() == "median") {
            EXPECT_EQ(b["iterations"].toInt(), 3);
        }
    }
    EXPECT_EQ(counted, 3);
    const std::vector<std::string> rows = TableRows(run);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find("1012"), std::string::npos);
}

TEST(JsonReportTest, AggregatesOnlyForTwoOrMoreSamples) {
    for (const auto& [clicks, aggregates] : {std::pair{1, 0}, std::pair{2, 0}, std::pair{3, 7}}) {
        batch::BatchRun run;
        for (int i = 0; i < clicks; ++i) Append(run, KnownRun(1000, {{100 + i, 100}}));
        for (std::size_t i = 0; i < run.clicks.size(); ++i) {
            run.clicks[i].repetition = static_cast<int>(i);
            run.clicks[i].followsOwnClick = i > 0;
        }
        EXPECT_EQ(Benchmarks(run).size(), clicks + aggregates) << clicks;
    }
}

TEST(JsonReportTest, TheContextSaysOnlyWhatWasRead) {
    batch::SystemInfo system = KnownSystem();
    QJsonObject context;
    std::ostringstream out;
    batch::WriteJson(out, KnownRun(1000, {{1, 1}}), system);
    context = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object()["context"].toObject();
    for (const char* unknown : {"cpu_scaling_enabled", "mhz_per_cpu", "load_avg"}) {
        EXPECT_FALSE(context.contains(unknown)) << unknown;
    }
    EXPECT_TRUE(context["caches"].toArray().isEmpty());
    system.cpuScalingEnabled = true;
    system.mhzPerCpu = 2445.4;
    system.loadAverage = std::array<double, 3>{0.5, 1, 2};
    system.caches = {{"Data", 1, 32768, 1}, {"Unified", 3, 33554432, 2}};
    std::ostringstream known;
    batch::WriteJson(known, KnownRun(1000, {{1, 1}}), system);
    context = QJsonDocument::fromJson(QByteArray::fromStdString(known.str())).object()["context"].toObject();
    EXPECT_TRUE(context["cpu_scaling_enabled"].toBool());
    EXPECT_EQ(context["mhz_per_cpu"].toInt(), 2445);
    EXPECT_EQ(context["load_avg"].toArray()[2].toDouble(), 2.0);
    const QJsonObject l3 = context["caches"].toArray()[1].toObject();
    EXPECT_EQ(l3["type"].toString(), QStringLiteral("Unified"));
    EXPECT_EQ(l3["level"].toInt(), 3);
    EXPECT_EQ(l3["size"].toInteger(), 33554432);
    EXPECT_EQ(l3["num_sharing"].toInt(), 2);
}

class SysfsTest : public ::testing::Test {
protected:
    void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    ScratchFolder scratch{"velquor-sysfs"};
    const fs::path& root = scratch.path();
};

TEST_F(SysfsTest, ScalingFromTheGovernorsOrUnknownWithoutCpufreq) {
    fs::create_directories(root / "cpu0");
    EXPECT_FALSE(batch::ReadCpuScaling(root, 2).has_value());
    Write(root / "cpu0/cpufreq/scaling_governor", "performance");
    EXPECT_EQ(batch::ReadCpuScaling(root, 2), false);
    Write(root / "cpu1/cpufreq/scaling_governor", "schedutil");
    EXPECT_EQ(batch::ReadCpuScaling(root, 2), true);
    EXPECT_EQ(batch::ReadCpuScaling(root, 1), false);
}

// The table's rows, without the header lines and the notes.
std::vector<std::string> TableRows(const batch::BatchRun& run) {
    std::ostringstream out;
    batch::WriteTable(out, run, KnownSystem());
    std::istringstream in(out.str());
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 8 && std::isdigit(static_cast<unsigned char>(line[4]))) rows.push_back(line);
    }
    return rows;
}

TEST(TableReportTest, MarksFailedRowsAndColumnsThatLineUpPastJapaneseCaptions) {
    batch::BatchRun run = KnownRun(1000, {{500, 500}, {100, 100}, {101, 101}, {250, 250}});  // max/min 2.5
    Append(run, KnownRun(1006, {{500, 500}, {100, 100}, {112, 112}, {124, 124}}));           // MdAPE ~10 %
    Append(run, KnownRun(1008, {{100, 100}, {100, 100}, {100, 40}}));
    run.clicks.back().measurement.offCpuTime = nanoseconds(6000);  // one preempted
    batch::BatchRun failed = KnownRun(1004, {{0, 0}, {0, 0}});
    for (batch::Click& c : failed.clicks) c.measurement.error = bench::KernelError{bench::ErrorKind::CountRefused, "count is negative: -5"};
    Append(run, failed);
    const std::vector<std::string> rows = TableRows(run);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, 2), "* ");
    EXPECT_EQ(rows[1].substr(0, 2), " ~");
    EXPECT_EQ(rows[2].substr(0, 2), "  ");
    EXPECT_NE(rows[2].find("          1  "), std::string::npos) << rows[2];  // preempted clicks
    EXPECT_NE(rows[3].find("2 of 2 clicks failed: count is negative: -5"), std::string::npos) << rows[3];
    // The element counts end in the same terminal column on every row,
    // whatever the caption's mix of narrow and wide characters.
    std::vector<int> columns;
    for (const std::string& row : rows) {
        const std::size_t at = row.find("       7  ");
        if (at == std::string::npos) continue;
        columns.push_back(dialog::DisplayWidth(CString(row.substr(0, at).c_str()).GetString()));
    }
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], columns[1]);
    EXPECT_EQ(columns[1], columns[2]);
    // The first click is shown apart and in no statistic: 0.0005 ms only in its column.
    EXPECT_NE(rows[0].find("    0.000500  "), std::string::npos) << rows[0];
    EXPECT_EQ(rows[0].rfind("0.000500"), rows[0].find("0.000500"));
}

TEST(CsvReportTest, DurationsAreWholeNanosecondsAndTheFirstClickIsMarked) {
    batch::BatchRun run = KnownRun(1000, {{123456789, 123456001}, {7, 7}});
    // A rate as the runner sets it (28 bytes in 123456789 ns); none for the second click.
    run.clicks[0].rate = {28 / 0.123456789, 0.5};
    std::ostringstream out;
    batch::WriteCsv(out, run);
    std::istringstream in(out.str());
    std::string header, first, second;
    std::getline(in, header);
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "1000,int[] new　動的配列,0,7,123456789,123.456000ms,6,0,,123456001,0,1,0,0,0,O3,226.80000206388002,0.5,,,");
    EXPECT_EQ(second, "1000,int[] new　動的配列,1,7,7,0.000000ms,6,0,,7,0,0,0,0,1,O3,,,,,");
}

}  // namespace
