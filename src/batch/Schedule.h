// The order of a batch run's clicks: interleaved rounds or one block per
// button. Plans only; the runner clicks.
#pragma once

#include "Options.h"

#include <cstdint>
#include <vector>

namespace batch {

/// Clicks of one button that follow each other within a round: the second
/// and third still find the memory the first warmed, while a round of all
/// buttons stays short against the machine's changes of speed.
inline constexpr int kClicksPerRound = 3;

/// One click of the plan.
struct PlannedClick {
    int buttonId = 0;
    int repetition = 0;  ///< 0-based, counted per button
    int round = 0;       ///< 0-based; always 0 in blocks
};

/// Rounds that a run of this many repetitions per button has: enough for
/// rounds of at most kClicksPerRound clicks.
int RoundCount(int repetitions);

/// Every click of the run, in the order to run them. Rounds: each button gets
/// its repetitions spread as evenly as possible over RoundCount rounds, its
/// clicks within a round consecutive, and the buttons in a new order each
/// round, drawn from seed (the same seed gives the same order on every
/// machine). Blocks: each button's clicks together, in the order given.
std::vector<PlannedClick> PlanClicks(const std::vector<int>& buttons, int repetitions, Order order, std::uint32_t seed);

}  // namespace batch
