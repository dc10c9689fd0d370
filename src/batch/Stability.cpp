#include "Stability.h"

#include "Results.h"

#include <algorithm>
#include <map>

namespace batch {
namespace {

// Per round: the medians of the durations gathered for it.
std::map<int, HalfNanoseconds> Medians(const std::map<int, std::vector<std::chrono::nanoseconds>>& byRound) {
    std::map<int, HalfNanoseconds> medians;
    for (const auto& [round, durations] : byRound) medians[round] = Median(durations);
    return medians;
}

std::vector<HalfNanoseconds> InRoundOrder(const std::map<int, HalfNanoseconds>& byRound) {
    std::vector<HalfNanoseconds> medians;
    for (const auto& [round, median] : byRound) medians.push_back(median);
    return medians;
}

}  // namespace

double Spread(const std::vector<HalfNanoseconds>& values) {
    if (values.size() < 2) return 0;
    const auto [smallest, largest] = std::minmax_element(values.begin(), values.end());
    return smallest->count() > 0 ? static_cast<double>(largest->count()) / static_cast<double>(smallest->count()) : 0;
}

std::map<int, HalfNanoseconds> MedianPerRound(const std::vector<const Click*>& clicks, bool leavePreemptedOut) {
    std::map<int, std::vector<std::chrono::nanoseconds>> byRound;
    for (const Click* c : clicks) {
        if (!CountsInStatistics(*c) || (leavePreemptedOut && WasPreempted(c->measurement))) continue;
        byRound[c->round].push_back(Elapsed(c->measurement));
    }
    return Medians(byRound);
}

std::vector<HalfNanoseconds> RoundMedians(const std::vector<const Click*>& clicks) {
    return InRoundOrder(MedianPerRound(clicks));
}

MachineStability ProbeStability(const std::vector<ProbeClick>& probes) {
    std::map<int, std::vector<std::chrono::nanoseconds>> byRound;
    for (const ProbeClick& p : probes) {
        if (p.measurement.Succeeded()) byRound[p.round].push_back(Elapsed(p.measurement));
    }
    MachineStability machine;
    machine.roundMedians = InRoundOrder(Medians(byRound));
    machine.spread = Spread(machine.roundMedians);
    machine.moved = machine.spread > kMachineMovedSpread;
    return machine;
}

}  // namespace batch
