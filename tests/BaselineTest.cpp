// --baseline: every button's ratio to it, paired round by round, in the
// three reports. (Which baselines the command line takes: CommandLineTest.)
#include "batch/CsvReport.h"
#include "batch/JsonReport.h"
#include "batch/Results.h"
#include "batch/SystemInfo.h"
#include "batch/TableReport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

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
                m.offCpuTime = click == 2 ? std::chrono::nanoseconds(m.elapsed) : std::chrono::nanoseconds(0);
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
