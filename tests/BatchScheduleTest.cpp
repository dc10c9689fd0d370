// Interleaved rounds: the plan of a run's clicks, the clicks the runner then
// makes, the first-click marking with either order, and the stability
// figures from known durations.
#include "batch/JsonReport.h"
#include "batch/Options.h"
#include "batch/Results.h"
#include "batch/Runner.h"
#include "batch/Schedule.h"
#include "batch/Stability.h"
#include "bench/Buttons.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

using batch::Order;
using batch::PlannedClick;
using std::chrono::nanoseconds;

const std::vector<int> kSeven{1000, 1012, 1014, 1018, 1020, 1022, 1008};
const std::vector<const bench::Variant*> kDefault{&bench::DefaultVariant()};

// The buttons of each round in the order they ran, one entry per button.
std::vector<std::vector<int>> RoundOrders(const std::vector<PlannedClick>& plan) {
    std::vector<std::vector<int>> rounds;
    for (const PlannedClick& c : plan) {
        if (static_cast<std::size_t>(c.round) >= rounds.size()) rounds.resize(static_cast<std::size_t>(c.round) + 1);
        std::vector<int>& order = rounds[static_cast<std::size_t>(c.round)];
        if (order.empty() || order.back() != c.buttonId) order.push_back(c.buttonId);
    }
    return rounds;
}

TEST(ScheduleTest, EveryButtonGetsExactlyItsRepetitionsInOrderAndInShortRuns) {
    std::vector<int> all;
    for (const bench::ButtonSpec& b : bench::kButtons) all.push_back(b.buttonId);
    for (int repetitions : {1, 2, 3, 4, 5, 31, 100}) {
        for (Order order : {Order::Rounds, Order::Blocks}) {
            const std::vector<PlannedClick> plan = batch::PlanClicks(all, kDefault, repetitions, order, 12345);
            ASSERT_EQ(plan.size(), all.size() * static_cast<std::size_t>(repetitions));
            std::map<int, int> next;  // the repetition each button is due to make
            std::map<std::pair<int, int>, int> perRound;
            for (std::size_t i = 0; i < plan.size(); ++i) {
                const PlannedClick& c = plan[i];
                EXPECT_EQ(c.repetition, next[c.buttonId]++) << repetitions;
                const std::pair<int, int> key{c.buttonId, c.round};
                const int inRound = ++perRound[key];
                // Within a round a button's clicks follow each other.
                if (i > 0 && plan[i - 1].round == c.round && plan[i - 1].buttonId != c.buttonId) {
                    EXPECT_EQ(inRound, 1) << "button " << c.buttonId << " split in round " << c.round;
                }
            }
            for (int id : all) EXPECT_EQ(next[id], repetitions) << id;
            const int rounds = order == Order::Rounds ? batch::RoundCount(repetitions) : 1;
            EXPECT_EQ(static_cast<int>(RoundOrders(plan).size()), rounds);
            for (const auto& [key, clicks] : perRound) {
                EXPECT_LE(clicks, order == Order::Rounds ? batch::kClicksPerRound : repetitions);
                EXPECT_GE(clicks, 1);
            }
        }
    }
    EXPECT_EQ(batch::RoundCount(31), 11);
    EXPECT_EQ(batch::RoundCount(3), 1);
    EXPECT_EQ(batch::RoundCount(4), 2);
}

TEST(ScheduleTest, TheOrderChangesFromRoundToRoundAndTheSeedRepeatsIt) {
    const std::vector<PlannedClick> plan = batch::PlanClicks(kSeven, kDefault, 31, Order::Rounds, 7);
    const std::vector<std::vector<int>> rounds = RoundOrders(plan);
    ASSERT_EQ(rounds.size(), 11u);
    int changes = 0;
    for (std::size_t r = 1; r < rounds.size(); ++r) changes += rounds[r] != rounds[r - 1];
    EXPECT_GE(changes, 9) << "the buttons should be drawn anew each round";
    // Over many seeds every button leads a round sometimes: the draw covers all.
    std::set<int> leaders;
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        for (const auto& order : RoundOrders(batch::PlanClicks(kSeven, kDefault, 31, Order::Rounds, seed))) leaders.insert(order.front());
    }
    EXPECT_EQ(leaders.size(), kSeven.size());

    const auto same = batch::PlanClicks(kSeven, kDefault, 31, Order::Rounds, 7);
    const auto other = batch::PlanClicks(kSeven, kDefault, 31, Order::Rounds, 8);
    auto sequence = [](const std::vector<PlannedClick>& p) {
        std::vector<std::pair<int, int>> s;
        for (const PlannedClick& c : p) s.emplace_back(c.buttonId, c.round);
        return s;
    };
    EXPECT_EQ(sequence(plan), sequence(same));
    EXPECT_NE(sequence(plan), sequence(other));
}

TEST(ScheduleTest, BlocksIsEachButtonsClicksTogetherInTheGivenOrder) {
    const std::vector<int> buttons{1055, 1000, 1024};
    const std::vector<PlannedClick> plan = batch::PlanClicks(buttons, kDefault, 4, Order::Blocks, 99);
    ASSERT_EQ(plan.size(), 12u);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(plan[i].buttonId, buttons[i / 4]);
        EXPECT_EQ(plan[i].repetition, static_cast<int>(i % 4));
        EXPECT_EQ(plan[i].round, 0);
    }
}

batch::BatchRun RunSeeded(Order order, int repetitions) {
    batch::Options options;
    options.buttons = {1000, 1012, 1041, 1055};
    options.countText = L"3";
    options.repetitions = repetitions;
    options.order = order;
    options.seed = 2024;
    return batch::RunButtons(options, {});
}

TEST(RoundsRunTest, TheFirstClickIsMarkedAndShownWithEitherOrder) {
    for (Order order : {Order::Rounds, Order::Blocks}) {
        const batch::BatchRun run = RunSeeded(order, 7);
        ASSERT_EQ(run.clicks.size(), 28u);
        for (std::size_t i = 0; i < run.clicks.size(); ++i) EXPECT_EQ(run.clicks[i].position, static_cast<int>(i));
        std::ostringstream out;
        batch::WriteJson(out, run, batch::SystemInfo{});
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
        std::map<int, int> seen;
        for (const QJsonValue& v : report["benchmarks"].toArray()) {
            const QJsonObject b = v.toObject();
            if (b["run_type"].toString() != "iteration") continue;
            const int button = b["button"].toInt();
            // The first entry of each button is its first click, and no other is.
            EXPECT_EQ(b["first_click"].toBool(), seen[button]++ == 0) << button;
            EXPECT_EQ(b["first_click"].toBool(), b["repetition_index"].toInt() == 0) << button;
            const batch::Click& click = run.clicks[static_cast<std::size_t>(b["position"].toInt())];
            EXPECT_EQ(click.buttonId, button);
            EXPECT_EQ(click.round, b["round"].toInt());
        }
        // The first click of a button comes before its others in the run.
        for (const batch::ButtonResult& r : batch::GroupByButton(run)) {
            EXPECT_EQ(r.First().repetition, 0);
            for (const batch::Click* c : r.clicks) EXPECT_GE(c->position, r.First().position);
            // 7 clicks: in blocks all but the first count; in rounds (3, 2 and 2
            // clicks) all but the first of each round.
            EXPECT_EQ(r.elapsed.samples, order == Order::Rounds ? 4 : 6);
            for (const batch::Click* c : r.clicks) {
                const bool followsOwn = c->position > 0 && run.clicks[static_cast<std::size_t>(c->position) - 1].buttonId == c->buttonId;
                EXPECT_EQ(c->followsOwnClick, followsOwn);
            }
        }
        EXPECT_EQ(report["context"].toObject()["order"].toString(),
                  QString(order == Order::Rounds ? "rounds" : "blocks"));
        EXPECT_EQ(report.contains("stability"), order == Order::Rounds);
    }
}

TEST(RoundsRunTest, TheProbeRunsBeforeEveryRoundAndOnlyInRounds) {
    const batch::BatchRun rounds = RunSeeded(Order::Rounds, 7);
    EXPECT_EQ(rounds.rounds, 3);
    EXPECT_EQ(rounds.seed, 2024u);
    ASSERT_EQ(rounds.probes.size(), 3u * batch::kProbeClicksPerRound);
    for (std::size_t i = 0; i < rounds.probes.size(); ++i) {
        EXPECT_EQ(rounds.probes[i].round, static_cast<int>(i) / batch::kProbeClicksPerRound);
        EXPECT_TRUE(rounds.probes[i].measurement.Succeeded());
        EXPECT_EQ(rounds.probes[i].measurement.elementCount, bench::kProbeLength);
    }
    EXPECT_TRUE(RunSeeded(Order::Blocks, 7).probes.empty());
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
    EXPECT_EQ(batch::Spread({H(10)}), 0.0);
    EXPECT_EQ(batch::Spread({H(0), H(10)}), 0.0);
    EXPECT_DOUBLE_EQ(batch::Spread({H(30), H(20), H(25)}), 1.5);

    // Round 0: the first click (900) is left out; round 1: its first (500)
    // too, 10 and 13 give 11.5; round 2: a failed click is left out.
    const std::vector<batch::Click> clicks{Known(0, 0, 900, true, false), Known(0, 1, 20), Known(0, 2, 22),
                                           Known(1, 3, 500, true, false), Known(1, 4, 10), Known(1, 5, 13),
                                           Known(2, 6, 700, true, false), Known(2, 7, 16), Known(2, 8, 1, false)};
    std::vector<const batch::Click*> pointers;
    for (const batch::Click& c : clicks) pointers.push_back(&c);
    const std::vector<H> expected{H(42), H(23), H(32)};
    EXPECT_EQ(batch::RoundMedians(pointers), expected);
    EXPECT_DOUBLE_EQ(batch::Spread(batch::RoundMedians(pointers)), 42.0 / 23.0);

    // The probe: the median of each round's clicks, one preempted click
    // cannot move it.
    std::vector<batch::ProbeClick> probes;
    for (const auto& [round, ns] : std::vector<std::pair<int, long long>>{{0, 100}, {0, 102}, {0, 5000}, {1, 120}, {1, 121}, {1, 119}}) {
        probes.push_back({round, Known(round, 0, ns).measurement});
    }
    batch::MachineStability machine = batch::ProbeStability(probes);
    const std::vector<H> probeMedians{H(204), H(240)};
    EXPECT_EQ(machine.roundMedians, probeMedians);
    EXPECT_DOUBLE_EQ(machine.spread, 120.0 / 102.0);
    EXPECT_FALSE(machine.moved);
    probes.push_back({2, Known(2, 0, 130).measurement});
    probes.push_back({2, Known(2, 0, 128).measurement});
    machine = batch::ProbeStability(probes);
    EXPECT_DOUBLE_EQ(machine.spread, 129.0 / 102.0);
    EXPECT_TRUE(machine.moved);
    EXPECT_FALSE(batch::ProbeStability({}).moved);
}

}  // namespace
