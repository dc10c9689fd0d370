// The program without its window: the count the batch mode reads as the
// window does, and each mode as a user runs it (exit status, what it prints,
// the reports and charts it writes).
#include "BenchFixture.h"
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/Runner.h"
#include "bench/Caches.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using BenchWindowTest = benchtest::BenchTest;

// Whatever text is pasted, the batch mode ends with the field text, the warning
// and the count the window would have (the same check, the same conversion),
// and tells the user when the count is not the text's whole value. (How each
// text reads: CountCheckTest.cpp.)
TEST_F(BenchWindowTest, TheBatchCountIsTheCountTheWindowRunsAndANoteSaysWhatWasIgnored) {
    const struct {
        const wchar_t* text;
        const char* note;  // a part of the note; nullptr: no note
    } cases[] = {
        {L"100001", nullptr},  // rewritten to the limit, with the window's own warning
        {L"-5", nullptr},
        {L"12abc", "'12abc' is read as 12; the rest, 'abc', was ignored"},
        {L"5\r\n6", "the rest, '\\r\\n6', was ignored"},
        {L"", "'' has no leading digits: the count field reads it as 0"},
        {L"１２３", "'１２３' has no leading digits"},
        {L"-99999999999", "does not fit an int: it is read as -2147483648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(CString(c.text)));
        const batch::PastedCount pasted = batch::PasteCount(c.text);
        SetCount(c.text);
        EXPECT_EQ(pasted.fieldText, std::wstring(drv.Text(benchtest::kCountField).GetString()));
        EXPECT_EQ(pasted.warning.empty(), Boxes().empty());
        if (c.note) EXPECT_NE(pasted.readingNote.find(c.note), std::string::npos) << pasted.readingNote;
        else EXPECT_EQ(pasted.readingNote, "");
        // What a click of the reference button reads from the field, against what the batch mode hands its kernel.
        batch::Options options;
        options.buttons = {1000};
        options.countText = c.text;
        options.repetitions = 1;
        const batch::BatchRun run = batch::RunButtons(options, {});
        Press(1000);
        Boxes();
        if (runs.empty()) EXPECT_FALSE(run.clicks[0].measurement.Succeeded());
        else EXPECT_EQ(run.clicks[0].measurement.elementCount, runs.back().measurement.elementCount);
        runs.clear();
    }
}

class ProgramTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& args) { return RunProgram(args, ScratchEnvironment(root), root); }
    ScratchFolder scratch{"velquor-program"};
    const fs::path& root = scratch.path();
};

// Each line's exit status and parts of what it prints. A refused line (2)
// prints one line on standard error and nothing else, and writes no report;
// a terminal escape given in a value never reaches the terminal raw.
TEST_F(ProgramTest, EachModeExitsWithItsStatusAndSaysWhatItDid) {
    const std::string report = (root / "r.json").string();
    const struct {
        std::vector<std::string> args;
        int exit;
        std::vector<std::string> out, err;  // parts each must hold; no err: standard error stays empty
    } cases[] = {
        {{"--batch", "--repetitions", "0", "--output", report}, 2, {}, {"1 to 10000"}},
        {{"--batch", "--help"}, 0, {"--sweep", "--sizes FROM:TO[:P]", "--budget MS", "--buttons LIST", "--count TEXT", "--repetitions N",
                                    "--order ORDER", "--seed N", "--format F", "--output FILE", "--plot FILE", "--variant LIST",
                                    "--baseline ID[/V]", "--disasm LIST", "--syntax S", "--hot", "--list", "--version", "Exit status"}, {}},
        {{"--batch", "--count", "100001", "--buttons", "1041", "--repetitions", "1"}, 0, {"100000"}, {"最大値を超えました。"}},
        {{"--batch", "--count", "-5", "--buttons", "1000,1012", "--repetitions", "1"}, 1, {"1012"}, {"seed "}},
        {{"--batch", "--count", "5\x1b[2J", "--buttons", "1041", "--repetitions", "1", "--seed", "77"}, 0,
         {"count field \"5\\x1b[2J\"", "Order: 1 round of up to 3 clicks"}, {"is read as 5", "seed 77 (--seed 77 repeats it)"}},
        {{"--disasm", "1004,1008"}, 0, {"== 1004 ", "\n== 1008 "}, {}},
        {{"--disasm", "1004,9"}, 2, {}, {"velquor: unknown button id '9'"}},
        {{"--sweep", "--buttons", "1037", "--sizes", "1:4000001", "--output", report}, 2, {}, {"the global arrays (1037) hold 4000000"}},
        // 2e9 strings need some 200 GB, more than this process can have (within the sanitizer's address space too).
        {{"--sweep", "--buttons", "1016", "--sizes", "1:2000000000", "--output", report}, 2, {}, {"this process can have"}},
        // A million strings take far more than 1 ms on any machine: a budget of 1 ms stops that button early.
        {{"--sweep", "--buttons", "1016,1008", "--sizes", "1000:1024000:1", "--budget", "1", "--repetitions", "3"}, 0,
         {"== 1016 CString[] new　動的配列", "ns/elem on each level", "stopped before", "complexity: O("}, {"1016 stopped before"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = Run(c.args);
        EXPECT_EQ(o.exitCode, c.exit) << o.errors;
        for (const std::string& part : c.out) EXPECT_NE(o.output.find(part), std::string::npos) << part << "\n" << o.output;
        for (const std::string& part : c.err) EXPECT_NE(o.errors.find(part), std::string::npos) << part << "\n" << o.errors;
        EXPECT_TRUE(!c.err.empty() || o.errors.empty()) << o.errors;
        if (c.exit == 2) {
            EXPECT_EQ(o.output, "");
            EXPECT_EQ(std::count(o.errors.begin(), o.errors.end(), '\n'), 1) << o.errors;
        }
        EXPECT_FALSE(fs::exists(report));
        EXPECT_EQ((o.output + o.errors).find('\x1b'), std::string::npos);
    }
    // A stripped copy of the program has no symbols to find its kernels by.
    const std::string stripped = (root / "stripped").string();
    if (std::system(("objcopy --strip-all '" VELQUOR_EXE "' '" + stripped + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "objcopy is not available";
    }
    const Outcome unlisted = RunProgramFile(stripped, {"--disasm", "1004"}, ScratchEnvironment(root), root);
    EXPECT_EQ(unlisted.exitCode, 1) << unlisted.errors;
    EXPECT_NE(unlisted.output.find("stripped"), std::string::npos) << unlisted.output;
}

// Both modes' JSON reports are read by Google Benchmark's compare.py; the
// charts are PNG files, and nothing else is left beside them.
TEST_F(ProgramTest, ReportsThatGoogleBenchmarksComparisonToolReadsAndAPngChart) {
    const struct {
        std::vector<std::string> args;
        const char* compared;  // a name compare.py shows
    } modes[] = {
        {{"--batch", "--buttons", "1000,1024", "--repetitions", "4"}, "1024 CString[100000]　静的配列_median"},
        {{"--sweep", "--buttons", "1000,1041", "--sizes", "4096:65536:1", "--repetitions", "4", "--baseline", "1000"},
         "1041 静的配列/65536_median"},
    };
    bool compared = false;
    for (const auto& mode : modes) {
        const fs::path folder = root / mode.args[0].substr(2);
        fs::create_directory(folder);
        for (const char* name : {"a.json", "b.json"}) {
            std::vector<std::string> args = mode.args;
            args.insert(args.end(), {"--format", "json", "--output", (folder / name).string(), "--plot", (folder / "chart.png").string()});
            const Outcome run = Run(args);
            ASSERT_EQ(run.exitCode, 0) << run.errors;
            EXPECT_EQ(run.output, "");
        }
        QImage image;
        EXPECT_TRUE(image.load(QString::fromStdString((folder / "chart.png").string()), "PNG"));
        EXPECT_GE(image.width(), 600);
        for (const auto& entry : fs::directory_iterator(folder)) EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        if (const std::optional<Outcome> tool = CompareReports(folder / "a.json", folder / "b.json")) {
            compared = true;
            EXPECT_EQ(tool->exitCode, 0) << tool->errors;
            EXPECT_NE(tool->output.find(mode.compared), std::string::npos) << tool->output;
        }
    }
    // The sweep's report: a median per size with its ratio to the baseline, and
    // the complexity entries under Google Benchmark's names.
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(root / "sweep/a.json"))).object();
    EXPECT_FALSE(report["context"].toObject()["caches_source"].toString().isEmpty());
    int sizes = 0, bigO = 0;
    for (const QJsonValue& v : report["benchmarks"].toArray()) {
        const QJsonObject b = v.toObject();
        if (b["aggregate_name"].toString() == "median") {
            ++sizes;
            EXPECT_EQ(b["is_baseline"].toBool(), b["button"].toInt() == 1000);
            EXPECT_TRUE(b.contains("ratio_to_baseline"));
            EXPECT_GT(b["run_name"].toString().section('/', -1).toInt(), 0) << "NAME/size: " << b["run_name"].toString().toStdString();
        }
        if (b["aggregate_name"].toString() == "BigO") {
            ++bigO;
            EXPECT_EQ(b["name"].toString(), b["run_name"].toString() + "_BigO");
            EXPECT_FALSE(b["big_o"].toString().isEmpty()) << b["name"].toString().toStdString();
        }
    }
    EXPECT_EQ(sizes, 2 * 5);
    EXPECT_EQ(bigO, 2);
    const QJsonArray buttons = report["sweep"].toObject()["buttons"].toArray();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0].toObject()["levels"].toArray().size(),
              static_cast<qsizetype>(bench::DataCacheLevels(bench::MachineCaches().caches).size() + 1));
    if (!compared) GTEST_SKIP() << "compare.py needs libbenchmark-tools and python3-scipy";
}

}  // namespace
