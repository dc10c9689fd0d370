#include "PairedRatio.h"

#include "Median.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {
namespace {

/// P(B = j) for B binomial (n, 1/2), through logarithms: 2^n overflows a
/// double from n = 1024 on, and a run may have thousands of rounds.
double HalfBinomial(int n, int j) {
    return std::exp(std::lgamma(n + 1.0) - std::lgamma(j + 1.0) - std::lgamma(n - j + 1.0) - n * std::log(2.0));
}

}  // namespace

std::variant<PairedRatio, NoRatio> CompareRounds(std::span<const RoundPair> rounds) {
    if (rounds.empty()) return NoRatio::NoRounds;
    std::vector<double> times, baselines, ratios;
    for (const RoundPair& r : rounds) {
        times.push_back(r.time.count());
        baselines.push_back(r.baseline.count());
        if (r.time.count() > 0 && r.baseline.count() > 0) ratios.push_back(r.time / r.baseline);
    }
    const double shortest = std::chrono::duration<double, std::nano>(kShortestRatioTime).count();
    if (Median(times) < shortest || Median(baselines) < shortest) return NoRatio::BelowClockResolution;
    if (ratios.empty()) return NoRatio::NoRounds;

    std::sort(ratios.begin(), ratios.end());
    PairedRatio result;
    result.rounds = static_cast<int>(ratios.size());
    result.median = Median(ratios);
    // The k-th ratio from either end, for the largest k whose interval misses
    // with probability 2 P(B <= k - 1) of at most 1 - kRatioConfidence.
    const int n = result.rounds;
    int k = 0;
    double below = 0;  // P(B <= k - 1)
    while (2 * k < n) {
        const double next = below + HalfBinomial(n, k);
        if (2 * next > 1 - kRatioConfidence) break;
        below = next;
        ++k;
    }
    if (k > 0) {
        result.low = ratios[static_cast<std::size_t>(k - 1)];
        result.high = ratios[static_cast<std::size_t>(n - k)];
        result.confidence = 1 - 2 * below;
    }
    return result;
}

}  // namespace bench
