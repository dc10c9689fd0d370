// The order of a batch run's clicks: interleaved rounds or one block per
// button. Plans only; the runner clicks.
#pragma once

#include "Options.h"
#include "bench/Rounds.h"

#include <cstdint>
#include <vector>

namespace batch {

using bench::kClicksPerRound;

/// One click of the plan.
struct PlannedClick {
    int buttonId = 0;
    /// The build of the button's kernel the click runs.
    const bench::Variant* variant = &bench::DefaultVariant();
    int repetition = 0;  ///< 0-based, counted per button and variant
    int round = 0;       ///< 0-based; always 0 in blocks
};

/// Rounds that a run of this many repetitions per button has: enough for
/// rounds of at most kClicksPerRound clicks.
int RoundCount(int repetitions);

/// Every click of the run, in the order to run them; each button runs in
/// each of the variants, and a button in one variant is what the following
/// calls a pair. Rounds: each pair gets its repetitions spread as evenly as
/// possible over RoundCount rounds, its clicks within a round consecutive,
/// and all pairs in a new order each round, drawn from seed (the same seed
/// gives the same order on every machine): the variants of a button meet the
/// machine's slow and fast moments alike, as the buttons do. Blocks: each
/// pair's clicks together, the buttons in the order given, each button's
/// variants side by side in the order given.
std::vector<PlannedClick> PlanClicks(const std::vector<int>& buttons, const std::vector<const bench::Variant*>& variants,
                                     int repetitions, Order order, std::uint32_t seed);

}  // namespace batch
