// Reporters: each turns the clicks of a batch run into one output format.
// They only format; the runner measures.
#pragma once

#include "Runner.h"
#include "Statistics.h"
#include "SystemInfo.h"

#include <ostream>
#include <string>
#include <vector>

namespace batch {

/// The clicks of one button and their statistics, in milliseconds.
struct ButtonResult {
    int buttonId = 0;
    int elementCount = 0;            ///< of the successful clicks (0 when none succeeded)
    std::vector<const Click*> clicks;
    Summary elapsedMilliseconds;     ///< over the successful clicks, from the raw durations
    double meanPageFaults = 0;
    int failures = 0;
    std::wstring lastSink;           ///< the sink of the last successful click, or "-"
};

/// Groups clicks by button, in the order the buttons ran.
std::vector<ButtonResult> GroupByButton(const BatchRun& run);

/// A button whose max / min exceeds this is marked as not to be trusted.
inline constexpr double kWideSpread = 2.0;

void WriteTable(std::ostream& out, const BatchRun& run, const SystemInfo& system);
void WriteCsv(std::ostream& out, const BatchRun& run);
void WriteJson(std::ostream& out, const BatchRun& run, const SystemInfo& system);

/// Name of a button's entries in the JSON report.
std::string BenchmarkName(int buttonId);

}  // namespace batch
