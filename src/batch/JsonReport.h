// JSON in Google Benchmark's layout, so that its comparison tool reads two
// reports: one entry per click, then each button's aggregates.
#pragma once

#include "Runner.h"
#include "SystemInfo.h"

#include <ostream>

namespace batch {

/// Writes the context, every click as an iteration, and the aggregates of
/// each button with at least two clicks in its statistics.
void WriteJson(std::ostream& out, const BatchRun& run, const SystemInfo& system);

}  // namespace batch
