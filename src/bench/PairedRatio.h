// One time against another that ran beside it, round by round: the median of
// the rounds' ratios, with a confidence interval that holds whatever the
// rounds' times are distributed like. Within one round both ran at the
// machine's speed of that moment, so each round's ratio is free of the
// drift that moves two medians taken over the whole run apart.
//
// The interval is the sign test's: with n rounds whose ratios are
// independent, each falls below the true median ratio with probability 1/2,
// so the number below it is binomial (n, 1/2), whatever the distribution.
// The k-th smallest and the k-th largest ratio then enclose the true median
// with probability 1 - 2 P(B < k), exactly for continuous times and at least
// that with ties. It needs no model of the times (a bootstrap would, and
// gives no exact level with a dozen rounds), and it is the median's own
// interval, as the median is what every report states.
//
// Plain values in, plain values out: the batch mode's buttons, the window's
// build box and any other pairing of rounds call it alike.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <variant>

namespace bench {

/// One round's times of the two: the median of each one's clicks in that round.
struct RoundPair {
    std::chrono::duration<double, std::nano> time;
    std::chrono::duration<double, std::nano> baseline;
};

/// The shortest median that is divided: the clock's two readings cost some
/// 30 ns, which below 1 us is more than 3 % of the time, and the window shows
/// whole microseconds, in which a shorter time reads 0.000000ms.
inline constexpr std::chrono::microseconds kShortestRatioTime{1};

/// The interval holds the true median ratio with at least this probability.
inline constexpr double kRatioConfidence = 0.95;

/// Fewest rounds with an interval: with n rounds the widest one, from the
/// smallest ratio to the largest, misses with probability 2 / 2^n, which
/// first falls to 5 % at 6 rounds (3.1 %).
inline constexpr int kIntervalRounds = 6;

struct PairedRatio {
    int rounds = 0;     ///< rounds paired
    double median = 0;  ///< the median of the rounds' ratios
    /// The interval's ends, ratios of two of the rounds; none with fewer than kIntervalRounds.
    std::optional<double> low, high;
    /// The probability that [low, high] holds the true median ratio: at
    /// least kRatioConfidence; 0 without an interval.
    double confidence = 0;

    /// True when the interval leaves out 1: the two differ, at that confidence.
    /// False without an interval, or when it holds 1: no difference shown.
    bool DifferenceShown() const { return low && high && (*low > 1 || *high < 1); }
};

/// Why there is no ratio.
enum class NoRatio {
    /// No round has a positive time of both.
    NoRounds,
    /// The median of one side's round times is below kShortestRatioTime: it measures the clock.
    BelowClockResolution,
};

/// The rounds' ratios time / baseline summarised; a round whose times are
/// not both positive is left out.
std::variant<PairedRatio, NoRatio> CompareRounds(std::span<const RoundPair> rounds);

}  // namespace bench
