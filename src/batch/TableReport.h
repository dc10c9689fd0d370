// The table a person reads in a terminal: one row per button.
#pragma once

#include "Runner.h"
#include "SystemInfo.h"

#include <ostream>
#include <string>

namespace batch {

/// Writes the run as a table, one row per button, with its marks explained below it.
void WriteTable(std::ostream& out, const BatchRun& run, const SystemInfo& system);

/// The line under a table that explains its preempted column.
std::string PreemptedLegend();

}  // namespace batch
