// The batch mode: its command line, the runs it drives through the real
// dialog, and the reports and chart it writes.
#include "BenchFixture.h"
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/CsvReport.h"
#include "batch/JsonReport.h"
#include "batch/Runner.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using BenchWindowTest = benchtest::BenchTest;

batch::BatchRun RunBatch(std::vector<int> buttons, const wchar_t* count, int repetitions) {
    batch::Options options;
    options.buttons = std::move(buttons);
    if (count) options.countText = count;
    options.repetitions = repetitions;
    return batch::RunButtons(options, {});
}

QJsonObject ParseJson(const batch::BatchRun& run) {
    std::ostringstream out;
    batch::WriteJson(out, run, batch::ReadSystemInfo(nullptr));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << out.str();
    return doc.object();
}

// The iteration entries of one button.
std::vector<QJsonObject> Clicks(const QJsonObject& report, int button) {
    std::vector<QJsonObject> clicks;
    for (const QJsonValue& v : report["benchmarks"].toArray()) {
        const QJsonObject b = v.toObject();
        if (b["run_type"].toString() == "iteration" && b["button"].toInt() == button) clicks.push_back(b);
    }
    return clicks;
}

TEST(BatchRunTest, JsonCarriesEveryClickAggregatesAndTheSinksTheKernelsStored) {
    const batch::BatchRun run = RunBatch({1000, 1012, 1041, 1053, 1030}, L"3", 3);
    EXPECT_EQ(run.countText, L"3");
    EXPECT_TRUE(run.warnings.empty());
    const QJsonObject report = ParseJson(run);
    const QJsonObject context = report["context"].toObject();
    for (const char* key : {"date", "host_name", "executable", "library_build_type"}) {
        EXPECT_FALSE(context[key].toString().isEmpty()) << key;
    }
    EXPECT_GT(context["num_cpus"].toInt(), 0);
    EXPECT_EQ(context["count_text"].toString(), QStringLiteral("3"));

    const struct {
        int button;
        int count;
        const char* sink;  // nullptr: no sink
    } expected[] = {{1000, 3, "2"}, {1012, 100000, "99999"}, {1041, 3, nullptr}, {1053, 3, "2"}, {1030, 3, "2"}};
    for (const auto& e : expected) {
        const std::vector<QJsonObject> clicks = Clicks(report, e.button);
        ASSERT_EQ(clicks.size(), 3u) << e.button;
        for (int r = 0; r < 3; ++r) {
            const QJsonObject& c = clicks[static_cast<std::size_t>(r)];
            EXPECT_EQ(c["repetition_index"].toInt(), r);
            EXPECT_EQ(c["iterations"].toInt(), 1);
            EXPECT_EQ(c["time_unit"].toString(), QStringLiteral("ns"));
            EXPECT_GE(c["real_time"].toDouble(), 0.0);
            EXPECT_GT(c["cpu_time"].toDouble(), 0.0);
            EXPECT_EQ(c["first_click"].toBool(), r == 0);
            EXPECT_EQ(c["count"].toInt(), e.count) << e.button;
            EXPECT_TRUE(c["error"].isNull());
            EXPECT_TRUE(c["result_text"].toString().endsWith(QStringLiteral("ms")));
            EXPECT_TRUE(c.contains("page_faults"));
            if (e.sink) EXPECT_EQ(c["sink"].toString().toStdString(), e.sink) << e.button;
            else EXPECT_TRUE(c["sink"].isNull()) << e.button;
        }
        int aggregates = 0;
        for (const QJsonValue& v : report["benchmarks"].toArray()) {
            const QJsonObject b = v.toObject();
            if (b["run_type"].toString() == "aggregate" && b["button"].toInt() == e.button) {
                ++aggregates;
                EXPECT_EQ(b["name"].toString(), clicks[0]["name"].toString() + "_" + b["aggregate_name"].toString());
            }
        }
        EXPECT_EQ(aggregates, 7) << e.button;
    }
}

TEST(BatchRunTest, AFailedRunCarriesItsErrorAndTheOthersStillRun) {
    const batch::BatchRun run = RunBatch({1000, 1012}, L"-5", 1);
    const QJsonObject report = ParseJson(run);
    const std::vector<QJsonObject> failed = Clicks(report, 1000);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_FALSE(failed[0]["error"].toString().isEmpty());
    EXPECT_TRUE(failed[0]["error_occurred"].toBool());
    EXPECT_TRUE(failed[0]["count"].isNull());
    EXPECT_TRUE(failed[0]["sink"].isNull());
    const std::vector<QJsonObject> fixed = Clicks(report, 1012);
    ASSERT_EQ(fixed.size(), 1u);
    EXPECT_TRUE(fixed[0]["error"].isNull());
    EXPECT_EQ(fixed[0]["sink"].toString(), QStringLiteral("99999"));
}

TEST(BatchRunTest, TheCountCheckAppliesToThePastedText) {
    const batch::BatchRun run = RunBatch({1000}, L"100001", 1);
    EXPECT_EQ(run.countText, L"100000");
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("100000に書き換えました"), std::string::npos);
    ASSERT_TRUE(run.clicks[0].measurement.Succeeded());
    EXPECT_EQ(run.clicks[0].measurement.elementCount, 100000);
}

TEST_F(BenchWindowTest, TheBatchCountIsTheCountTheWindowRuns) {
    // The batch mode runs the kernels without the window; for any pasted text
    // it must end with the field text, the warning and the count the window
    // would have: the same check, the same conversion.
    const std::wstring texts[] = {
        L"100000", L"100001", L"99999", L"0100000", L"", L"0", L"-5", L"12abc", L" 7", L"+4", L"1e5", L"0x10",
        L"１２３", L"⑤", L"999999999999999999", L"0000000000000000001", L"2147483648", L"-2147483649", L"\r\n5",
        L"5\r\n6", L"\u3000" L"999999", L"abc",
    };
    for (const std::wstring& text : texts) {
        const batch::PastedCount pasted = batch::PasteCount(text);
        SetCount(text);
        const auto boxes = Boxes();
        EXPECT_EQ(pasted.fieldText, std::wstring(drv.Text(benchtest::kCountField).GetString())) << Utf8(CString(text.c_str()));
        EXPECT_EQ(pasted.warning.empty(), boxes.empty()) << Utf8(CString(text.c_str()));
        // What a click of the reference button reads from the field, against what the batch mode hands its kernel.
        const batch::BatchRun run = RunBatch({bench::kButtons.front().buttonId}, text.c_str(), 1);
        Press(bench::kButtons.front().buttonId);
        Boxes();
        if (runs.empty()) {
            EXPECT_FALSE(run.clicks[0].measurement.Succeeded()) << Utf8(CString(text.c_str()));
        } else {
            EXPECT_EQ(run.clicks[0].measurement.elementCount, runs.back().measurement.elementCount)
                << Utf8(CString(text.c_str()));
        }
        runs.clear();
    }
}

TEST(BatchRunTest, CsvHasAHeaderAndOneRowPerClick) {
    const batch::BatchRun run = RunBatch({1004, 1055}, L"7", 3);
    std::ostringstream out;
    batch::WriteCsv(out, run);
    std::istringstream in(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error,cpu_time_ns,"
                        "preempted,first_click,round,position,follows_own_click,variant,bytes_per_second,fraction_of_limit,"
                        "ratio_to_baseline,ratio_low,ratio_high");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("1004,", 0) == 0; }), 3);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("1055,", 0) == 0; }), 3);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 20) << lines[i];
        // The new columns come last: the variant, and a rate only where bytes were stored in a measurable time.
        const std::string& line = lines[i];
        ASSERT_NE(line.rfind(",O3,"), std::string::npos) << line;
        const std::string tail = line.substr(line.rfind(",O3,"));
        const batch::Click& c = run.clicks[i - 1];
        EXPECT_EQ(tail == ",O3,,,,,", !c.rate.bytesPerSecond) << line;
        if (c.buttonId == 1055) {
            EXPECT_EQ(tail, ",O3,,,,,") << "the moving pointer stores nothing";
        }
    }
}

class BatchProgramTest : public ::testing::Test {
protected:
    Outcome Batch(std::vector<std::string> args) {
        args.insert(args.begin(), "--batch");
        std::vector<std::string> env{"HOME=" + root.string(), "XDG_RUNTIME_DIR=" + root.string(), "PATH=/usr/bin:/bin"};
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
        }
        return RunProgram(args, env, root);
    }
    ScratchFolder scratch{"velquor-batch"};
    const fs::path& root = scratch.path();
};

TEST_F(BatchProgramTest, ExitCodesAndTheCountWarningOnStandardError) {
    const Outcome bad = Batch({"--repetitions", "0"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("1 to 10000"), std::string::npos);
    const Outcome badOutput = Batch({"--output", (root / "missing" / "r.json").string()});
    EXPECT_EQ(badOutput.exitCode, 2);
    EXPECT_NE(badOutput.errors.find("does not exist"), std::string::npos);
    // A variant that cannot run: one line, shown safely, and no run.
    const Outcome badVariant = Batch({"--variant", "O0,O9\x1b[2J"});
    EXPECT_EQ(badVariant.exitCode, 2);
    EXPECT_EQ(badVariant.output, "");
    EXPECT_EQ(badVariant.errors, "velquor: unknown variant 'O9\\x1b[2J'; valid variants: O0, O2, O3, avx2, or all\n");

    const Outcome clamped = Batch({"--count", "100001", "--buttons", "1041", "--repetitions", "1"});
    EXPECT_EQ(clamped.exitCode, 0) << clamped.errors;
    EXPECT_NE(clamped.errors.find("最大値を超えました。"), std::string::npos) << clamped.errors;
    EXPECT_NE(clamped.output.find("100000"), std::string::npos);

    const Outcome failed = Batch({"--count", "-5", "--buttons", "1000,1012", "--repetitions", "1"});
    EXPECT_EQ(failed.exitCode, 1) << failed.errors;
    EXPECT_NE(failed.output.find("1012"), std::string::npos);

    const Outcome help = Batch({"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.errors;
    EXPECT_NE(help.output.find("--repetitions N"), std::string::npos) << help.output;
    EXPECT_EQ(help.errors, "");

    // A terminal escape in the count text reaches neither the table nor the warning raw.
    const Outcome escape = Batch({"--count", "5\x1b[2J", "--buttons", "1041", "--repetitions", "1"});
    EXPECT_EQ(escape.exitCode, 0) << escape.errors;
    EXPECT_EQ(escape.output.find('\x1b'), std::string::npos) << escape.output;
    EXPECT_EQ(escape.errors.find('\x1b'), std::string::npos) << escape.errors;
    EXPECT_NE(escape.output.find("count field \"5\\x1b[2J\""), std::string::npos) << escape.output;
    EXPECT_NE(escape.errors.find("is read as 5"), std::string::npos) << escape.errors;
}

TEST_F(BatchProgramTest, TheSeedIsPrintedAndRepeatsTheOrder) {
    auto buttonColumn = [](const std::string& csv) {
        std::istringstream in(csv);
        std::string order;
        for (std::string line; std::getline(in, line);) order += line.substr(0, line.find(',')) + " ";
        return order;
    };
    const std::vector<std::string> args{"--buttons", "1041,1000,1012,1055", "--repetitions", "7", "--seed", "77", "--format", "csv"};
    const Outcome first = Batch(args);
    const Outcome again = Batch(args);
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_NE(first.errors.find("seed 77 (--seed 77 repeats it)"), std::string::npos) << first.errors;
    EXPECT_EQ(buttonColumn(first.output), buttonColumn(again.output));
    const Outcome unseeded = Batch({"--buttons", "1041", "--repetitions", "1"});
    EXPECT_NE(unseeded.errors.find("seed "), std::string::npos) << unseeded.errors;
    EXPECT_NE(unseeded.output.find("Order: 1 round of up to 3 clicks"), std::string::npos) << unseeded.output;
}

TEST_F(BatchProgramTest, WritesTheReportFileAndAPngChart) {
    const fs::path report = root / "report.json";
    const fs::path chart = root / "chart.png";
    const Outcome outcome = Batch({"--buttons", "1000,1008,1016", "--count", "500", "--repetitions", "3", "--format",
                                   "json", "--output", report.string(), "--plot", chart.string()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_TRUE(outcome.output.empty());
    std::ifstream in(report);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(QJsonDocument::fromJson(QByteArray::fromStdString(text.str())).isNull());
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(chart.string()), "PNG"));
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 150);
    // Nothing but the two files: no temporary file is left behind.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(root)) files += entry.path().filename().string()[0] == '.';
    EXPECT_EQ(files, 0);
}

TEST_F(BatchProgramTest, AnOutputThatCannotBeWrittenStopsBeforeTheRunWithItsCause) {
    fs::create_directory(root / "folder");
    const Outcome folder = Batch({"--buttons", "1000", "--repetitions", "1", "--output", (root / "folder").string()});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_EQ(folder.errors, "velquor: cannot write " + (root / "folder").string() + ": Is a directory\n");
    EXPECT_TRUE(folder.output.empty()) << "nothing ran";

    const std::string same = (root / "same").string();
    const Outcome twice = Batch({"--buttons", "1000", "--repetitions", "1", "--output", same, "--plot", same});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_EQ(twice.errors, "velquor: cannot write " + same + ": the report goes to the same file\n");
    EXPECT_FALSE(fs::exists(same));
}

TEST_F(BatchProgramTest, AChartThatCannotBeWrittenExitsTwoWithItsCause) {
    const Outcome full = Batch({"--buttons", "1000", "--repetitions", "1", "--plot", "/dev/full"});
    EXPECT_EQ(full.exitCode, 2);
    EXPECT_NE(full.errors.find("velquor: cannot write /dev/full: No space left on device"), std::string::npos)
        << full.errors;
    EXPECT_EQ(full.errors.find("libpng"), std::string::npos) << full.errors;
    EXPECT_NE(full.output.find("1000"), std::string::npos) << "the report is still written";
}

TEST_F(BatchProgramTest, WhenNoClickSucceedsTheChartIsEmptyAndTheExitIsOne) {
    const fs::path chart = root / "chart.png";
    const Outcome failed =
        Batch({"--buttons", "1000", "--count", "-5", "--repetitions", "2", "--plot", chart.string()});
    EXPECT_EQ(failed.exitCode, 1) << failed.errors;
    EXPECT_EQ(failed.errors.find("chart"), std::string::npos) << failed.errors;
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString(chart.string()), "PNG"));
}

TEST_F(BatchProgramTest, GoogleBenchmarksComparisonToolReadsTwoReports) {
    for (const char* name : {"a.json", "b.json"}) {
        const Outcome run = Batch({"--buttons", "1000,1024", "--repetitions", "4", "--format", "json", "--output",
                                   (root / name).string()});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
    }
    const std::optional<Outcome> compared = CompareReports(root / "a.json", root / "b.json");
    if (!compared) GTEST_SKIP() << "needs libbenchmark-tools and python3-scipy (scripts/setup --tests)";
    EXPECT_EQ(compared->exitCode, 0) << compared->errors;
    EXPECT_NE(compared->output.find("1024 CString[100000]　静的配列_median"), std::string::npos) << compared->output;
    EXPECT_NE(compared->output.find("OVERALL_GEOMEAN"), std::string::npos) << compared->output;
}

}  // namespace
