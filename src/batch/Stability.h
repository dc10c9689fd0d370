// How steady a run was: how far each button's per-round medians lie apart,
// and how much the probe's time moved between rounds.
#pragma once

#include "Runner.h"
#include "Statistics.h"

#include <map>
#include <vector>

namespace batch {

/// Largest over smallest; 0 for fewer than two values or a smallest of 0.
double Spread(const std::vector<HalfNanoseconds>& values);

/// The median of the clicks in each round that count in the button's
/// statistics (CountsInStatistics), by round, without the preempted ones
/// (WasPreempted) when asked; rounds without one have no median.
std::map<int, HalfNanoseconds> MedianPerRound(const std::vector<const Click*>& clicks, bool leavePreemptedOut = false);

/// The same medians in round order.
std::vector<HalfNanoseconds> RoundMedians(const std::vector<const Click*>& clicks);

/// The machine's speed over a run, as the probe saw it.
struct MachineStability {
    /// The median of the probe's clicks before each round, in round order.
    std::vector<HalfNanoseconds> roundMedians;
    /// The slowest round's probe time over the fastest's; 0 for fewer than two rounds.
    double spread = 0;
    /// True when spread is above kMachineMovedSpread.
    bool moved = false;
};

/// Above this spread of the probe's per-round times the machine's speed moved
/// enough during the run that medians from separate runs may differ by as much.
inline constexpr double kMachineMovedSpread = 1.25;

MachineStability ProbeStability(const std::vector<ProbeClick>& probes);

}  // namespace batch
