// CSV: one row per click, for spreadsheets and scripts.
#pragma once

#include "Runner.h"

#include <ostream>

namespace batch {

/// Writes a header line and one row per click, in the order the clicks ran.
void WriteCsv(std::ostream& out, const BatchRun& run);

}  // namespace batch
