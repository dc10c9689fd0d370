// --baseline: which baselines the command line takes and refuses, and every
// button's ratio to it, paired round by round, in the three reports.
#include "batch/CsvReport.h"
#include "batch/JsonReport.h"
#include "batch/Options.h"
#include "batch/Results.h"
#include "batch/SystemInfo.h"
#include "batch/TableReport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

TEST(BaselineOptionTest, ABaselineMustBeAButtonAndVariantRunInRounds) {
    const struct {
        std::vector<std::string> args;
        std::string expected;  // a part of the error, or the baseline settled: "1008/O3"
    } cases[] = {
        {{"--batch", "--variant", "O0,O3", "--baseline", "1008"}, "1008/O3"},
        {{"--batch", "--variant", "O0", "--baseline", "1008"}, "1008/O0"},
        {{"--batch", "--variant", "O0,O2", "--baseline", "1008/O2", "--repetitions", "4"}, "1008/O2"},
        {{"--batch", "--baseline", "1001"}, "--baseline '1001' names no button; give an id, as in 1008"},
        {{"--batch", "--baseline", "1008/O5"}, "--baseline '1008/O5' names no variant 'O5'; valid variants: O0, O2, O3, avx2"},
        {{"--batch", "--buttons", "1000,1004", "--baseline", "1008"}, "--baseline 1008 is not among the buttons run; add 1008 to --buttons"},
        {{"--batch", "--baseline", "1008/O0"}, "--baseline 1008/O0 is not among the variants run; add O0 to --variant"},
        {{"--batch", "--variant", "O0,O2", "--baseline", "1008"}, "leaves the variant open, and the run has several; name one, as in --baseline 1008/O0"},
        {{"--batch", "--repetitions", "3", "--baseline", "1008"}, "3 repetitions make one round; give --repetitions 4 or more"},
        {{"--batch", "--order", "blocks", "--baseline", "1008"}, "--order blocks has no rounds"},
    };
    for (const auto& c : cases) {
        const auto parsed = batch::ParseCommandLine(c.args);
        const auto* line = std::get_if<batch::CommandLine>(&parsed);
        const std::string got = line ? std::to_string(line->options.baseline->buttonId) + "/" + std::string(line->options.baseline->variant->name)
                                     : std::get<std::string>(parsed);
        EXPECT_NE(got.find(c.expected), std::string::npos) << got;
    }
}

// Seven rounds of 1000, 1004 and 1008, each button twice a round: a first
// click that is not counted, then one that is. The machine's speed moves from
// round to round; 1000 always takes 2.5 times 1008 in the same round, 1004
// about as long. 1000's counted click of round 3 failed.
batch::BatchRun SevenRounds() {
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
                m.threadCpuTime = click == 2 ? std::chrono::nanoseconds(0) : std::chrono::nanoseconds(m.elapsed);
                if (id == 1000 && round == 3 && click == 1) m.error = bench::KernelError{bench::ErrorKind::Failed, "x"};
                run.clicks.push_back({.buttonId = id, .round = round, .followsOwnClick = click > 0, .measurement = m, .pageFaults = 0, .rate = {}});
            }
        }
    }
    return run;
}

std::string LineOf(const std::string& text, const std::string& part) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(part) != std::string::npos) return line;
    }
    return {};
}

TEST(BaselineRatioTest, EachRoundSetsAButtonAgainstTheBaselineOfTheSameRound) {
    batch::BatchRun run = SevenRounds();
    std::ostringstream table, json, csv;
    batch::WriteTable(table, run, batch::SystemInfo{});
    // Every round's ratio is 2.5, whatever the speed; the round without 1000's click is left out.
    EXPECT_NE(LineOf(table.str(), "1000  O3").find("2.500 [2.500, 2.500]  "), std::string::npos) << table.str();
    EXPECT_NE(LineOf(table.str(), "1004  O3").find("1.020 [0.900, 1.200] no difference shown"), std::string::npos);
    EXPECT_NE(LineOf(table.str(), "1008  O3").find("  baseline  "), std::string::npos);
    batch::WriteCsv(csv, run);
    EXPECT_TRUE(LineOf(csv.str(), "1004,vector").ends_with(",O3,,,1.02,0.90000000000000002,1.2")) << csv.str();
    batch::WriteJson(json, run, batch::SystemInfo{});
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(json.str())).isObject()) << json.str();
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

}  // namespace
