// Interleaved rounds, the order in which the batch mode and the sweep click:
// each item its repetitions, consecutive within a round, in a new order each
// round that the seed repeats.
#include "bench/Rounds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// The items of each round in the order they ran, one entry per item.
std::vector<std::vector<std::size_t>> RoundOrders(const std::vector<bench::RoundSlot>& plan) {
    std::vector<std::vector<std::size_t>> rounds;
    for (const bench::RoundSlot& s : plan) {
        if (static_cast<std::size_t>(s.round) >= rounds.size()) rounds.resize(static_cast<std::size_t>(s.round) + 1);
        std::vector<std::size_t>& order = rounds[static_cast<std::size_t>(s.round)];
        if (order.empty() || order.back() != s.item) order.push_back(s.item);
    }
    return rounds;
}

TEST(RoundsTest, EachItemGetsItsRepetitionsInOrderAndOnceARoundInShortRuns) {
    for (std::size_t items : {1u, 7u, 22u}) {
        for (int repetitions : {1, 2, 3, 4, 5, 10, 31}) {
            SCOPED_TRACE(std::to_string(items) + " items, " + std::to_string(repetitions) + " repetitions");
            const std::vector<bench::RoundSlot> plan = bench::PlanRounds(items, repetitions, 12345);
            ASSERT_EQ(plan.size(), items * static_cast<std::size_t>(repetitions));
            std::map<std::size_t, int> next;                   // the repetition each item is due to make
            std::map<std::pair<std::size_t, int>, int> inRound;  // clicks per item and round
            for (const bench::RoundSlot& s : plan) {
                EXPECT_EQ(s.repetition, next[s.item]++);
                EXPECT_LE(++inRound[std::pair(s.item, s.round)], bench::kClicksPerRound);
            }
            for (std::size_t i = 0; i < items; ++i) EXPECT_EQ(next[i], repetitions);
            const std::vector<std::vector<std::size_t>> rounds = RoundOrders(plan);
            EXPECT_EQ(static_cast<int>(rounds.size()), bench::RoundCount(repetitions));
            // Every item once a round: its clicks there follow each other.
            for (const std::vector<std::size_t>& order : rounds) {
                EXPECT_EQ(order.size(), items);
                EXPECT_EQ(std::set(order.begin(), order.end()).size(), items);
            }
        }
    }
    EXPECT_EQ(bench::RoundCount(31), 11);
    EXPECT_TRUE(bench::PlanRounds(3, 0, 1).empty());
}

TEST(RoundsTest, TheOrderChangesFromRoundToRoundAndTheSeedRepeatsIt) {
    const std::vector<std::vector<std::size_t>> rounds = RoundOrders(bench::PlanRounds(7, 31, 7));
    ASSERT_EQ(rounds.size(), 11u);
    int changes = 0;
    for (std::size_t r = 1; r < rounds.size(); ++r) changes += rounds[r] != rounds[r - 1];
    EXPECT_GE(changes, 9) << "the items should be drawn anew each round";
    // Over many seeds every item leads a round sometimes: the draw covers all.
    std::set<std::size_t> leaders;
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        for (const auto& order : RoundOrders(bench::PlanRounds(7, 31, seed))) leaders.insert(order.front());
    }
    EXPECT_EQ(leaders.size(), 7u);
    EXPECT_EQ(RoundOrders(bench::PlanRounds(7, 31, 7)), rounds);
    EXPECT_NE(RoundOrders(bench::PlanRounds(7, 31, 8)), rounds);
}

}  // namespace
