#include "Schedule.h"

#include <algorithm>
#include <random>

namespace batch {
namespace {

// A uniform draw from [0, bound): the engine's output is fixed by the
// standard, unlike std::uniform_int_distribution's and std::shuffle's
// algorithms, so a seed gives the same order with any standard library.
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

std::vector<PlannedClick> PlanClicks(const std::vector<int>& buttons, int repetitions, Order order, std::uint32_t seed) {
    std::vector<PlannedClick> plan;
    plan.reserve(buttons.size() * static_cast<std::size_t>(std::max(0, repetitions)));
    if (order == Order::Blocks) {
        for (int id : buttons) {
            for (int r = 0; r < repetitions; ++r) plan.push_back({id, r, 0});
        }
        return plan;
    }
    std::mt19937 engine(seed);
    const int rounds = RoundCount(repetitions);
    std::vector<int> shuffled = buttons;
    std::vector<int> done(buttons.size(), 0);
    for (int round = 0; round < rounds; ++round) {
        // The first (repetitions % rounds) rounds take one click more.
        const int clicks = repetitions / rounds + (round < repetitions % rounds ? 1 : 0);
        for (std::size_t i = shuffled.size(); i > 1; --i) {
            std::swap(shuffled[i - 1], shuffled[Below(engine, static_cast<std::uint32_t>(i))]);
        }
        for (int id : shuffled) {
            std::size_t index = 0;
            while (buttons[index] != id) ++index;
            for (int c = 0; c < clicks; ++c) plan.push_back({id, done[index]++, round});
        }
    }
    return plan;
}

}  // namespace batch
