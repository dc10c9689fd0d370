#include "Schedule.h"

#include "bench/Rounds.h"

namespace batch {

int RoundCount(int repetitions) {
    return bench::RoundCount(repetitions);
}

std::vector<PlannedClick> PlanClicks(const std::vector<int>& buttons, const std::vector<const bench::Variant*>& variants,
                                     int repetitions, Order order, std::uint32_t seed) {
    std::vector<PlannedClick> pairs;
    for (int id : buttons) {
        for (const bench::Variant* variant : variants) pairs.push_back({id, variant, 0, 0});
    }
    std::vector<PlannedClick> plan;
    if (order == Order::Blocks) {
        for (const PlannedClick& pair : pairs) {
            for (int r = 0; r < repetitions; ++r) plan.push_back({pair.buttonId, pair.variant, r, 0});
        }
        return plan;
    }
    for (const bench::RoundSlot& slot : bench::PlanRounds(pairs.size(), repetitions, seed)) {
        plan.push_back({pairs[slot.item].buttonId, pairs[slot.item].variant, slot.repetition, slot.round});
    }
    return plan;
}

}  // namespace batch
