#include "Baseline.h"

#include "Results.h"
#include "Schedule.h"
#include "Stability.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace batch {
namespace {

std::string NameOf(const BaselineName& b) {
    std::string name = std::to_string(b.buttonId);
    if (b.variant) name.append("/").append(b.variant->name);
    return name;
}

}  // namespace

std::string CheckBaseline(Options& options) {
    if (!options.baseline) return {};
    BaselineName& b = *options.baseline;
    const std::string given = "--baseline " + NameOf(b);
    if (std::find(options.buttons.begin(), options.buttons.end(), b.buttonId) == options.buttons.end()) {
        return given + " is not among the buttons run; add " + std::to_string(b.buttonId) + " to --buttons";
    }
    const auto& variants = options.variants;
    if (b.variant == nullptr) {
        const auto standard = std::find(variants.begin(), variants.end(), &bench::DefaultVariant());
        if (standard != variants.end()) b.variant = *standard;
        else if (variants.size() == 1) b.variant = variants.front();
        else return given + " leaves the variant open, and the run has several; name one, as in " + given + "/" + std::string(variants.front()->name);
    } else if (std::find(variants.begin(), variants.end(), b.variant) == variants.end()) {
        return given + " is not among the variants run; add " + std::string(b.variant->name) + " to --variant";
    }
    if (options.order == Order::Blocks) return "--baseline pairs the buttons round by round, and --order blocks has no rounds";
    if (RoundCount(options.repetitions) < 2) {
        return "--baseline pairs the buttons round by round, and " + std::to_string(options.repetitions) +
               " repetitions make one round; give --repetitions " + std::to_string(kClicksPerRound + 1) + " or more";
    }
    return {};
}

std::vector<bench::RoundPair> PairRounds(const std::map<int, HalfNanoseconds>& medians, const std::map<int, HalfNanoseconds>& baseline) {
    std::vector<bench::RoundPair> pairs;
    for (const auto& [round, median] : medians) {
        if (const auto b = baseline.find(round); b != baseline.end()) pairs.push_back({median, b->second});
    }
    return pairs;
}

std::string RatioText(const RatioToBaseline& to) {
    if (to.isBaseline) return to.ratio ? "baseline" : "baseline: " + to.whyNone;
    if (!to.ratio) return "no ratio: " + to.whyNone;
    const bench::PairedRatio& ratio = *to.ratio;
    char cell[96];
    if (ratio.low && ratio.high) {
        std::snprintf(cell, sizeof cell, "%.3f [%.3f, %.3f]%s", ratio.median, *ratio.low, *ratio.high,
                      ratio.DifferenceShown() ? "" : " no difference shown");
    } else {
        std::snprintf(cell, sizeof cell, "%.3f (%d rounds: no interval below %d)", ratio.median, ratio.rounds, bench::kIntervalRounds);
    }
    return cell;
}

void CompareWithBaseline(std::vector<ButtonResult>& results, const BaselineName& baseline) {
    const auto found = std::find_if(results.begin(), results.end(), [&](const ButtonResult& r) {
        return r.buttonId == baseline.buttonId && r.variant == baseline.variant;
    });
    // A preempted click's time holds the other work the machine did meanwhile:
    // it did not run at the speed of its round, and pairs with nothing.
    const auto paired = [](const ButtonResult& r) { return MedianPerRound(r.clicks, true); };
    const std::map<int, HalfNanoseconds> base = found != results.end() ? paired(*found) : std::map<int, HalfNanoseconds>{};
    const auto whyNone = [](const ButtonResult& r) {
        return r.elapsed.samples == 0 ? "no counted click: all failed" : "only preempted counted clicks";
    };
    for (ButtonResult& r : results) {
        RatioToBaseline& to = r.toBaseline.emplace();
        to.isBaseline = found != results.end() && &r == &*found;
        if (base.empty()) {
            to.whyNone = "the baseline " + NameOf(baseline) + " has " + (found != results.end() ? whyNone(*found) : "no click");
            continue;
        }
        const auto compared = bench::CompareRounds(PairRounds(paired(r), base));
        if (const auto* ratio = std::get_if<bench::PairedRatio>(&compared)) {
            to.ratio = *ratio;
        } else if (std::get<bench::NoRatio>(compared) == bench::NoRatio::BelowClockResolution) {
            to.whyNone = "a median below " + std::to_string(bench::kShortestRatioTime.count()) + " us, which the clock does not resolve";
        } else if (paired(r).empty()) {
            to.whyNone = std::string("it has ") + whyNone(r);
        } else {
            to.whyNone = "no round with a counted click of both";
        }
    }
}

}  // namespace batch
