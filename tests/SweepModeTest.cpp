// velquor --sweep: its command line, what it refuses before touching a file,
// the reports it writes (Google Benchmark's layout, read by compare.py) and
// the complexity fit they carry.
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/SweepResults.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

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

class SweepProgramTest : public ::testing::Test {
protected:
    Outcome Sweep(std::vector<std::string> args) {
        args.insert(args.begin(), "--sweep");
        return RunProgram(args, {"HOME=" + root.string(), "PATH=/usr/bin:/bin"}, root);
    }
    QJsonObject Json(const fs::path& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return QJsonDocument::fromJson(QByteArray::fromStdString(text.str())).object();
    }
    ScratchFolder scratch{"velquor-sweep"};
    const fs::path& root = scratch.path();
};

TEST_F(SweepProgramTest, BadInputIsOneLineExitTwoAndNoFile) {
    const std::string report = (root / "r.json").string();
    // Refused by the command line, by the plan, and for the memory of this
    // process: 2e9 strings need some 200 GB (within the sanitizer's address space).
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--buttons", "1001"}, "unknown button id '1001'"},
        {{"--buttons", "1037", "--sizes", "1:4000001"}, "the global arrays (1037) hold 4000000"},
        {{"--buttons", "1016", "--sizes", "1:2000000000"}, "this process can have"},
    };
    for (const auto& [given, expected] : cases) {
        SCOPED_TRACE(expected);
        std::vector<std::string> args = given;
        args.insert(args.end(), {"--output", report});
        const Outcome outcome = Sweep(args);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_NE(outcome.errors.find(expected), std::string::npos) << outcome.errors;
        EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1) << outcome.errors;
        EXPECT_FALSE(fs::exists(report));
    }
}

TEST_F(SweepProgramTest, ReportsInGoogleBenchmarksLayoutAndAChart) {
    const fs::path chart = root / "sweep.png";
    for (const char* name : {"a.json", "b.json"}) {
        const Outcome run = Sweep({"--buttons", "1000,1041", "--sizes", "4096:65536:1", "--repetitions", "4", "--format", "json",
                                   "--baseline", "1000", "--output", (root / name).string(), "--plot", chart.string()});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_NE(run.errors.find("seed "), std::string::npos) << run.errors;
    }
    const QJsonObject report = Json(root / "a.json");
    EXPECT_FALSE(report["context"].toObject()["caches_source"].toString().isEmpty());
    int sizes = 0, bigO = 0;
    for (const QJsonValue& v : report["benchmarks"].toArray()) {
        const QJsonObject b = v.toObject();
        if (b["aggregate_name"].toString() == "median") {
            ++sizes;
            EXPECT_EQ(b["is_baseline"].toBool(), b["button"].toInt() == 1000);
            EXPECT_TRUE(b.contains("ratio_to_baseline"));
        }
        if (b["aggregate_name"].toString() == "BigO") {
            ++bigO;
            EXPECT_EQ(b["name"].toString(), b["run_name"].toString() + "_BigO");
            EXPECT_FALSE(b["big_o"].toString().isEmpty()) << b["name"].toString().toStdString();
            EXPECT_GT(b["real_coefficient"].toDouble(), 0);
        }
    }
    EXPECT_EQ(sizes, 2 * 5);
    EXPECT_EQ(bigO, 2);
    const QJsonArray buttons = report["sweep"].toObject()["buttons"].toArray();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0].toObject()["levels"].toArray().size(), static_cast<qsizetype>(
        bench::DataCacheLevels(bench::MachineCaches().caches).size() + 1));
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString(chart.string()), "PNG"));

    const std::optional<Outcome> compared = CompareReports(root / "a.json", root / "b.json");
    if (!compared) GTEST_SKIP() << "needs libbenchmark-tools and python3-scipy (scripts/setup --tests)";
    EXPECT_EQ(compared->exitCode, 0) << compared->errors;
    EXPECT_NE(compared->output.find("1041 静的配列/65536_median"), std::string::npos) << compared->output;
}

TEST_F(SweepProgramTest, TheTableSaysEachLevelsCostAndWhereAButtonStopped) {
    const Outcome run = Sweep({"--buttons", "1016,1008", "--sizes", "1000:64000:1", "--budget", "1", "--repetitions", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find("== 1016 CString[] new　動的配列"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ns/elem on each level"), std::string::npos) << run.output;
    // The string array's click of 1000 elements takes tens of microseconds: the budget of 1 ms stops it early.
    EXPECT_NE(run.output.find("stopped before"), std::string::npos) << run.output;
    EXPECT_NE(run.errors.find("1016 stopped before"), std::string::npos) << run.errors;
    EXPECT_NE(run.output.find("complexity: O("), std::string::npos) << run.output;
}

}  // namespace
