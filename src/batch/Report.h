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

/// The clicks of one button in one variant and their statistics, in milliseconds.
struct ButtonResult {
    int buttonId = 0;
    const bench::Variant* variant = &bench::DefaultVariant();
    int elementCount = 0;            ///< of the successful clicks (0 when none succeeded)
    std::vector<const Click*> clicks;
    Summary elapsedMilliseconds;     ///< over the successful clicks, from the raw durations
    double meanPageFaults = 0;
    int failures = 0;
    std::wstring lastSink;           ///< the sink of the last successful click, or "-"
    /// Bytes stored in a click of the median time, per second; none when the
    /// button stores nothing or its median is 0.
    std::optional<double> medianBytesPerSecond;
    /// medianBytesPerSecond against the machine's store limit for its size.
    std::optional<double> medianFractionOfLimit;
};

/// Groups clicks by button and variant, in the order they ran.
std::vector<ButtonResult> GroupByButton(const BatchRun& run);

/// A button whose max / min exceeds this is marked as not to be trusted.
inline constexpr double kWideSpread = 2.0;

void WriteTable(std::ostream& out, const BatchRun& run, const SystemInfo& system);
void WriteCsv(std::ostream& out, const BatchRun& run);
void WriteJson(std::ostream& out, const BatchRun& run, const SystemInfo& system);

/// Name of a button's entries in the JSON report: the default variant's
/// entries keep the button's name, so reports of earlier versions still
/// compare with them; another variant's carry "/" and its name ("…/O0").
std::string BenchmarkName(int buttonId, const bench::Variant& variant = bench::DefaultVariant());

/// Text as UTF-8.
std::string Utf8(const std::wstring& text);

}  // namespace batch
