// Every button against one of them, the baseline, round by round: the ratios
// --baseline adds to the reports. Within a round the buttons share the
// machine's speed of that moment, so a round's ratio is free of the drift
// that moves whole-run medians apart.
#pragma once

#include "Options.h"
#include "Statistics.h"
#include "bench/PairedRatio.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace batch {

struct ButtonResult;

/// Settles the options' baseline against the buttons, variants and order
/// the run has: an id alone means the button in the default variant, or in
/// the run's only variant. Empty when it is fine or there is none; else why
/// not, on one line.
std::string CheckBaseline(Options& options);

/// One button's (in one variant) ratio to the baseline.
struct RatioToBaseline {
    bool isBaseline = false;
    /// Its median in each round over the baseline's in the same round,
    /// summarised (bench::CompareRounds); none when there is no ratio.
    std::optional<bench::PairedRatio> ratio;
    /// Why there is no ratio, one line in English; empty when there is one.
    std::string whyNone;
};

/// The rounds both have a median in, each as its pair of medians.
std::vector<bench::RoundPair> PairRounds(const std::map<int, HalfNanoseconds>& medians, const std::map<int, HalfNanoseconds>& baseline);

/// "4.712 [4.523, 4.901]" (with "no difference shown" where the interval
/// holds 1), "baseline", or why there is no ratio: what a table shows.
std::string RatioText(const RatioToBaseline& to);

/// Sets every result's ratio to the baseline's result.
void CompareWithBaseline(std::vector<ButtonResult>& results, const BaselineName& baseline);

}  // namespace batch
