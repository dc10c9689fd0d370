// The sweep's reports: a table for people, CSV with one row per button and
// size, and JSON in Google Benchmark's layout (one entry per click and
// aggregates per button and size, the size in the name as that library writes
// arguments, and each button's _BigO and _RMS complexity entries).
#pragma once

#include "SweepResults.h"
#include "SystemInfo.h"
#include "bench/Sweep.h"

#include <ostream>

namespace batch {

/// With a baseline button, each size's and each level's ratio to it besides.
void WriteSweepTable(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system,
                     const bench::ButtonSpec* baseline = nullptr);
void WriteSweepCsv(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system,
                   const bench::ButtonSpec* baseline = nullptr);
void WriteSweepJson(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system,
                    const bench::ButtonSpec* baseline = nullptr);

/// The report name of a button's entry at count elements: "NAME/count".
std::string SweepEntryName(const bench::ButtonSpec& button, int count);

/// One line naming the caches and where they were read, in English.
std::string CachesLine(const SystemInfo& system);

}  // namespace batch
