// Interleaved rounds: the order in which several things are each measured
// many times, so that each meets the machine's slow and fast moments alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

/// Clicks of one thing that follow each other within a round: the second
/// and third still find the memory the first warmed, while a round of all
/// of them stays short against the machine's changes of speed.
inline constexpr int kClicksPerRound = 3;

/// One click of a plan of rounds.
struct RoundSlot {
    std::size_t item = 0;  ///< which of the things measured
    int repetition = 0;    ///< 0-based, counted per item
    int round = 0;         ///< 0-based
};

/// Rounds that this many repetitions per item take: enough for rounds of at
/// most kClicksPerRound clicks.
int RoundCount(int repetitions);

/// Every click of items things measured repetitions times each: each item's
/// clicks spread as evenly as possible over RoundCount rounds, consecutive
/// within a round, the items in a new order each round drawn from seed. The
/// engine's output is fixed by the standard, so a seed gives the same order
/// on every machine and with any standard library.
std::vector<RoundSlot> PlanRounds(std::size_t items, int repetitions, std::uint32_t seed);

}  // namespace bench
