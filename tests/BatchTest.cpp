// The batch mode: the runs it drives without the window, the count it reads
// as the window does, and the program's exit codes, seed and files.
#include "BenchFixture.h"
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/JsonReport.h"
#include "batch/Runner.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

TEST(BatchRunTest, EachClickCarriesTheCountAndTheSinkItsKernelStored) {
    // The reports' fields from known durations: BatchReportTest.cpp. Here the runner's own facts, as JSON states them.
    const batch::BatchRun run = RunBatch({1000, 1012, 1041, 1053, 1030}, L"3", 3);
    EXPECT_TRUE(run.warnings.empty());
    const QJsonObject report = ParseJson(run);
    const QJsonObject context = report["context"].toObject();
    for (const char* key : {"date", "host_name", "executable", "library_build_type"}) EXPECT_FALSE(context[key].toString().isEmpty()) << key;
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
            EXPECT_EQ(c["count"].toInt(), e.count) << e.button;
            EXPECT_TRUE(c["error"].isNull());
            EXPECT_TRUE(c["result_text"].toString().endsWith(QStringLiteral("ms")));
            EXPECT_EQ(c["sink"].toString().toStdString(), e.sink ? e.sink : "") << e.button;
        }
    }
}

TEST_F(BenchWindowTest, TheBatchCountIsTheCountTheWindowRuns) {
    // The batch mode runs the kernels without the window; for any pasted text
    // it must end with the field text, the warning and the count the window
    // would have: the same check, the same conversion. (How each text is
    // read: CountCheckTest.cpp.)
    for (const std::wstring text : {L"100001", L"12abc", L"-5", L"", L"2147483648", L"0000000000000000001", L"\r\n5"}) {
        SCOPED_TRACE(Utf8(CString(text.c_str())));
        const batch::PastedCount pasted = batch::PasteCount(text);
        SetCount(text);
        EXPECT_EQ(pasted.fieldText, std::wstring(drv.Text(benchtest::kCountField).GetString()));
        EXPECT_EQ(pasted.warning.empty(), Boxes().empty());
        // What a click of the reference button reads from the field, against what the batch mode hands its kernel.
        const batch::BatchRun run = RunBatch({1000}, text.c_str(), 1);
        Press(1000);
        Boxes();
        if (runs.empty()) {
            EXPECT_FALSE(run.clicks[0].measurement.Succeeded());
        } else {
            EXPECT_EQ(run.clicks[0].measurement.elementCount, runs.back().measurement.elementCount);
        }
        runs.clear();
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

// Where reports may go and what a failed write does, as a whole process:
// scripts/check-output-files (the output_files test).
TEST_F(BatchProgramTest, ExitCodesAndTheCountWarningOnStandardError) {
    const Outcome bad = Batch({"--repetitions", "0"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("1 to 10000"), std::string::npos);
    EXPECT_EQ(bad.output, "");

    const Outcome clamped = Batch({"--count", "100001", "--buttons", "1041", "--repetitions", "1"});
    EXPECT_EQ(clamped.exitCode, 0) << clamped.errors;
    EXPECT_NE(clamped.errors.find("最大値を超えました。"), std::string::npos) << clamped.errors;
    EXPECT_NE(clamped.output.find("100000"), std::string::npos);

    const Outcome failed = Batch({"--count", "-5", "--buttons", "1000,1012", "--repetitions", "1"});
    EXPECT_EQ(failed.exitCode, 1) << failed.errors;
    EXPECT_NE(failed.output.find("1012"), std::string::npos) << "the other buttons still run";

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

TEST_F(BatchProgramTest, WritesReportsThatGoogleBenchmarksComparisonToolReadsAndAPngChart) {
    const fs::path chart = root / "chart.png";
    for (const char* name : {"a.json", "b.json"}) {
        const Outcome run = Batch({"--buttons", "1000,1024", "--repetitions", "4", "--format", "json", "--output",
                                   (root / name).string(), "--plot", chart.string()});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_TRUE(run.output.empty());
    }
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(chart.string()), "PNG"));
    EXPECT_GE(image.width(), 600);
    // Nothing but the files: no temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(root)) EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    const std::optional<Outcome> compared = CompareReports(root / "a.json", root / "b.json");
    if (!compared) GTEST_SKIP() << "needs libbenchmark-tools and python3-scipy (scripts/setup --tests)";
    EXPECT_EQ(compared->exitCode, 0) << compared->errors;
    EXPECT_NE(compared->output.find("1024 CString[100000]　静的配列_median"), std::string::npos) << compared->output;
    EXPECT_NE(compared->output.find("OVERALL_GEOMEAN"), std::string::npos) << compared->output;
}

}  // namespace
