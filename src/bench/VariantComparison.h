// One button's kernel in every build variant, round after round, and what
// each variant's clicks came to: the comparison of builds that the window's
// box shows. Measures only; the box turns the figures into text.
#pragma once

#include "Buttons.h"
#include "Median.h"
#include "PairedRatio.h"
#include "Variants.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

namespace bench {

/// Counted clicks of each variant in one comparison, one per round: enough
/// for a median that one slow click does not move, and for an interval of the
/// ratio to the default that leaves out the most extreme round on either side
/// (with 7 rounds a single slow round would set one end); few enough to keep
/// the window's wait at about a second for the slowest button.
inline constexpr int kComparisonClicks = 11;

/// One variant's part of a comparison.
struct VariantRun {
    const Variant* variant = nullptr;
    /// False when this CPU lacks what the variant's code needs: none of its kernels ran.
    bool available = false;
    /// Wall time of each counted click, in the order they ran.
    std::vector<std::chrono::nanoseconds> elapsed;
    /// Why a click of it failed; it runs no more clicks after one fails.
    std::optional<KernelError> error;
    /// The median of elapsed; none when a click failed or none ran.
    std::optional<HalfNanoseconds> median;
    /// The bytes of the button's array stored per second of the median time,
    /// against this machine's store limit for the same size; none when the
    /// fill is too small or too short for a rate.
    std::optional<double> fractionOfLimit;
};

struct VariantComparison {
    /// Every variant, in the order of Variants().
    std::vector<VariantRun> runs;

    /// The run's clicks against the default variant's, round by round
    /// (CompareRounds: the i-th counted click of each ran in the same round);
    /// NoRounds when either has no median.
    std::variant<PairedRatio, NoRatio> RatioToDefault(const VariantRun& run) const;
};

/// The order of n variants in round r, as indices: starting at variant r mod
/// n, forwards in even rounds and backwards in odd ones. No two rounds in a
/// row are alike, and over 2n rounds each variant runs in every place and
/// after different ones, so that a slow moment of the machine falls on every
/// variant alike.
std::vector<std::size_t> RoundOrder(std::size_t n, int round);

/// Runs the button's kernel with count in every variant this CPU can run, in
/// rounds of one click per variant in RoundOrder: one round first that is not
/// counted (each variant's first click finds cold code and fresh memory),
/// then clicks counted rounds. Before the first click, the machine's store
/// limit for the button's size is measured where the size gets a rate (once
/// per process: StoreLimit). A variant this CPU cannot run is never called.
VariantComparison CompareVariants(const ButtonSpec& button, int count, int clicks = kComparisonClicks);

}  // namespace bench
