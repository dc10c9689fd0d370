#include "Rounds.h"

#include <algorithm>
#include <random>

namespace bench {
namespace {

// A uniform draw from [0, bound), unlike std::uniform_int_distribution's and
// std::shuffle's, fixed by the standard.
std::uint32_t Below(std::mt19937& engine, std::uint32_t bound) {
    const std::uint32_t threshold = static_cast<std::uint32_t>(-bound) % bound;
    for (;;) {
        const auto r = static_cast<std::uint32_t>(engine());
        if (r >= threshold) return r % bound;
    }
}

}  // namespace

int RoundCount(int repetitions) {
    return (repetitions + kClicksPerRound - 1) / kClicksPerRound;
}

std::vector<RoundSlot> PlanRounds(std::size_t items, int repetitions, std::uint32_t seed) {
    std::vector<RoundSlot> plan;
    if (repetitions <= 0) return plan;
    plan.reserve(items * static_cast<std::size_t>(repetitions));
    std::mt19937 engine(seed);
    const int rounds = RoundCount(repetitions);
    std::vector<std::size_t> shuffled(items);
    std::vector<int> done(items, 0);
    for (std::size_t i = 0; i < items; ++i) shuffled[i] = i;
    for (int round = 0; round < rounds; ++round) {
        // The first (repetitions % rounds) rounds take one click more.
        const int clicks = repetitions / rounds + (round < repetitions % rounds ? 1 : 0);
        for (std::size_t i = shuffled.size(); i > 1; --i) {
            std::swap(shuffled[i - 1], shuffled[Below(engine, static_cast<std::uint32_t>(i))]);
        }
        for (std::size_t item : shuffled) {
            for (int c = 0; c < clicks; ++c) plan.push_back({item, done[item]++, round});
        }
    }
    return plan;
}

}  // namespace bench
