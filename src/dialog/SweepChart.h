// A sweep as the chart a user would draw by hand: the array's bytes on a log
// axis, nanoseconds per element (log), one line per button, the store
// limit's ceiling for each element size, and the cache sizes marked. Both the
// window's sweep box and velquor --sweep --plot draw this chart.
#pragma once

#include "bench/Caches.h"
#include "bench/Sweep.h"
#include "framework/LineChart.h"

#include <string>
#include <vector>

namespace dialog {

/// The chart of what the run has measured so far. machine names the CPU and
/// host for the subtitle.
afx::LineChart MakeSweepChart(const bench::SweepRun& run, const std::vector<bench::CacheInfo>& caches,
                              const std::wstring& machine);

/// A size in bytes as the chart and the tables write it: "48 KiB", "1.5 MiB".
std::wstring BytesText(double bytes);

}  // namespace dialog
