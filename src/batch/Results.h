// A batch run grouped by button and build variant, with the statistics of
// each: what every report and the chart show. Grouping and statistics only;
// no formatting.
#pragma once

#include "Baseline.h"
#include "Runner.h"
#include "Statistics.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace batch {

/// True for a click that the statistics count: a successful one that
/// follows one of its button's own.
bool CountsInStatistics(const Click& click);

/// The clicks of one button in one build variant of its kernel.
struct ButtonResult {
    int buttonId = 0;
    const bench::Variant* variant = &bench::DefaultVariant();
    int elementCount = 0;              ///< of the successful clicks (0 when none succeeded)
    /// In the order they ran: the first is the button's first click, which
    /// finds fresh memory and is shown on its own.
    std::vector<const Click*> clicks;
    /// Wall time of the successful clicks that follow one of the button's own
    /// (Click::followsOwnClick): the steady state, as when a button is
    /// clicked again and again. The first click, and in rounds the first of
    /// each round, are left out.
    Summary elapsed;
    /// Thread CPU time of the same clicks.
    Summary cpuTime;
    int preemptedClicks = 0;           ///< of all its clicks (see WasPreempted)
    /// The median of its later clicks in each round, and their largest over
    /// their smallest: how much the button's time moved over the run.
    std::vector<HalfNanoseconds> roundMedians;
    double roundSpread = 0;
    double meanPageFaults = 0;         ///< minor page faults per click, over all its clicks
    int failures = 0;
    std::wstring lastSink = L"-";      ///< the sink of the last successful click, or "-"
    /// The rate of a click of the median time (elapsed.median); none without one.
    StoreRate medianRate;
    /// How long a fill of the same bytes takes at the machine's store limit;
    /// none when the button stores nothing or no limit was measured for it.
    std::optional<std::chrono::duration<double>> timeAtLimit;
    /// Against the run's baseline; none when the run has none.
    std::optional<RatioToBaseline> toBaseline;

    const Click& First() const { return *clicks.front(); }
};

/// Groups clicks by button and variant, in the order the run's options gave
/// the buttons, each button's variants side by side in the order they were given.
std::vector<ButtonResult> GroupByButton(const BatchRun& run);

/// Name of the entries of a button in a variant in the reports: the default
/// variant's keep the button's stable report name, so that reports of earlier
/// versions still compare with them; another variant's carry "/" and its
/// name ("…/O0").
std::string BenchmarkName(int buttonId, const bench::Variant& variant);

/// The button's caption, with the label above it where it has one.
std::wstring TitleOf(int buttonId);

/// The click's error in English; empty when it succeeded.
std::wstring ErrorOf(const Click& click);

/// The text the window would show for this measurement ("0.007000ms").
std::wstring ResultText(const bench::Measurement& m);

/// A measurement's wall time, exact in whole nanoseconds.
std::chrono::nanoseconds Elapsed(const bench::Measurement& m);

}  // namespace batch
