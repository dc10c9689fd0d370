// Statistics of one button's clicks, on integer nanoseconds: a duration is
// turned into text only by the writer that shows it.
#pragma once

#include "bench/Measurement.h"
#include "bench/Median.h"

#include <chrono>
#include <vector>

namespace batch {

using bench::HalfNanoseconds;
using bench::Median;

struct Summary {
    int samples = 0;
    std::chrono::nanoseconds min{};
    std::chrono::nanoseconds max{};
    HalfNanoseconds median{};
    /// The sum of the samples; the mean is total / samples.
    std::chrono::nanoseconds total{};
    /// Sample standard deviation (n - 1), in nanoseconds; 0 for fewer than two samples.
    double stddevNanoseconds = 0;
    /// Median absolute percentage error (MdAPE, as nanobench reports it): the
    /// median of |x - median| / x over the samples, as a fraction (0.05 is 5 %).
    double medianAbsolutePercentError = 0;

    double MeanNanoseconds() const;
    /// Standard deviation / mean; 0 when the mean is 0.
    double CoefficientOfVariation() const;
    /// max / min; 0 without samples, and for a minimum of 0 ns.
    double MaxOverMin() const;
};

/// Summary of the durations; all zero for none.
Summary Summarize(std::vector<std::chrono::nanoseconds> durations);

/// A button whose max / min exceeds this is marked: its clicks spread widely.
inline constexpr double kWideSpread = 2.0;

/// A button whose MdAPE exceeds this is marked unstable: nanobench's threshold
/// of 5 %. Half its clicks lie further than this from their median.
inline constexpr double kUnstableMdape = 0.05;

/// A click was preempted when its thread did not run (another thread had
/// the core, or the virtual machine's host did, or an interrupt) for more
/// than this share of its clock time and more than kPreemptedMinimumOffCpu
/// (bench::Measurement::offCpuTime): its time then holds time that was not
/// its own.
inline constexpr double kPreemptedOffCpuShare = 0.1;
/// The off-CPU time of a click that ran throughout lies within a few tenths
/// of a microsecond of 0 (the CPU clock's readings, measured to the
/// nanosecond, against the system clock's).
inline constexpr std::chrono::nanoseconds kPreemptedMinimumOffCpu{1000};

/// True when a successful click was preempted (see kPreemptedOffCpuShare).
bool WasPreempted(const bench::Measurement& m);

}  // namespace batch
