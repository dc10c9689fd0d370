// A sweep grouped by button and size, with the statistics of each size, the
// store limit set against it, the cost on each cache level and the fitted
// complexity: what every sweep report shows. Grouping and arithmetic only.
#pragma once

#include "Baseline.h"
#include "Runner.h"
#include "Statistics.h"
#include "SystemInfo.h"
#include "bench/Caches.h"
#include "bench/Sweep.h"
#include "bench/SweepAnalysis.h"

#include <optional>
#include <string>
#include <vector>

namespace batch {

/// One size of one button.
struct SweepRow {
    std::size_t subject = 0;  ///< in the run's plan
    int count = 0;
    std::size_t bytes = 0;
    /// The data cache level (1, 2, ...) whose size holds the array; 0: none does.
    int level = 0;
    const bench::SweepClick* first = nullptr;  ///< the size's first click; null when it never ran
    /// Wall and thread CPU time of the clicks that follow one of the size's own.
    Summary elapsed;
    Summary cpuTime;
    int clicks = 0;
    int failures = 0;
    int preemptedClicks = 0;
    double meanPageFaults = 0;     ///< over all its clicks
    std::wstring lastSink = L"-";  ///< of the last successful click
    /// The median's cost per element; none without a median.
    std::optional<double> nsPerElement;
    /// The array's bytes per second of the median click, the store limit's
    /// (memset of the same bytes: the fastest of its counted clicks in the
    /// same rounds), and the one over the other; none where either has no rate.
    StoreRate rate;
    std::optional<double> limitBytesPerSecond;
    /// With --baseline: its median over the baseline's at the same size, round by round.
    std::optional<RatioToBaseline> toBaseline;
};

/// Google Benchmark's complexity fit: time = coefficient x f(n) by least
/// squares, for the f of (1), lgN, N, NlgN, N^2 and N^3 with the smallest
/// root mean square error, as a fraction of the mean time.
struct ComplexityFit {
    std::string bigO;  ///< "(1)", "lgN", "N", "NlgN", "N^2", "N^3"
    double realCoefficient = 0;
    double cpuCoefficient = 0;
    double rms = 0;
};

/// The fit over the sizes n, chosen on the wall times; the CPU times get the
/// same f. Needs two sizes or more.
std::optional<ComplexityFit> FitComplexity(const std::vector<double>& n, const std::vector<double>& realNanoseconds,
                                           const std::vector<double>& cpuNanoseconds);

struct SweepButtonResult {
    const bench::ButtonSpec* button = nullptr;
    std::vector<SweepRow> rows;              ///< sizes that ran, ascending
    std::vector<bench::LevelCost> levels;    ///< each data cache level, then main memory
    std::vector<bench::CurveBend> bends;
    std::optional<ComplexityFit> complexity; ///< over the sizes with a median
    /// With --baseline, for each of levels: the ratio over the rounds of all
    /// the sizes whose cost the level's is (bench::LevelMembers); none
    /// without a pair there.
    std::vector<std::optional<bench::PairedRatio>> levelRatios;
    const bench::SweepStop* stop = nullptr;  ///< why its sizes end early; null when they do not
};

/// The run by button, in the order of the request; with a baseline button,
/// each size's and each level's ratio to it. A size pairs with the
/// baseline's of the same bytes, or, where it has none, of the same count.
std::vector<SweepButtonResult> GroupSweep(const bench::SweepRun& run, const std::vector<CacheInfo>& caches,
                                          const bench::ButtonSpec* baseline = nullptr);

/// Why a button's sizes ended early, on one line, in English.
std::string StopText(const bench::SweepStop& stop, std::chrono::nanoseconds budget);

}  // namespace batch
