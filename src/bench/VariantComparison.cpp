#include "VariantComparison.h"

#include "Protocol.h"
#include "StoreLimit.h"

#include <algorithm>
#include <new>

namespace bench {
namespace {

/// The store limit for the size, or 0 for none: a size too small for a rate,
/// or one whose buffer cannot be had (the fills will say they lack memory).
double LimitFor(StoreSize size) {
    if (size.bytes < kMinRateBytes) return 0;
    try {
        return StoreLimit(size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace

std::variant<PairedRatio, NoRatio> VariantComparison::RatioToDefault(const VariantRun& run) const {
    const auto standard = std::find_if(runs.begin(), runs.end(), [](const VariantRun& r) { return r.variant->isDefault; });
    std::vector<RoundPair> rounds;
    if (standard != runs.end() && standard->median && run.median) {
        // Both ran every counted round: a failure leaves a variant without a median.
        for (std::size_t i = 0; i < std::min(run.elapsed.size(), standard->elapsed.size()); ++i) {
            rounds.push_back({run.elapsed[i], standard->elapsed[i]});
        }
    }
    return CompareRounds(rounds);
}

std::vector<std::size_t> RoundOrder(std::size_t n, int round) {
    std::vector<std::size_t> order(n);
    if (n == 0) return order;
    const std::size_t start = static_cast<std::size_t>(round) % n;
    for (std::size_t i = 0; i < n; ++i) order[i] = round % 2 == 0 ? (start + i) % n : (start + n - i) % n;
    return order;
}

VariantComparison CompareVariants(const ButtonSpec& button, int count, int clicks) {
    VariantComparison comparison;
    std::vector<VariantRun*> runnable;
    comparison.runs.reserve(Variants().size());
    for (const Variant& v : Variants()) {
        VariantRun& run = comparison.runs.emplace_back();
        run.variant = &v;
        run.available = IsAvailable(v);
        if (run.available) runnable.push_back(&run);
    }

    const StoreSize size = LimitSizeFor(button, button.readsCount ? count : kFixedArrayLength);
    // Measured before the clicks, while nothing else runs, as the batch mode does.
    const double limit = LimitFor(size);

    for (int round = 0; round <= clicks; ++round) {
        for (const std::size_t i : RoundOrder(runnable.size(), round)) {
            VariantRun& run = *runnable[i];
            if (run.error) continue;
            const Measurement m = KernelOf(*run.variant, button.buttonId)(count);
            if (!m.Succeeded()) {
                run.error = m.error;
                run.elapsed.clear();
            } else if (round > 0) {
                run.elapsed.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(m.elapsed));
            }
        }
    }

    for (VariantRun* run : runnable) {
        if (run->error || run->elapsed.empty()) continue;
        run->median = Median(run->elapsed);
        if (const auto rate = BytesPerSecond(size.bytes, *run->median)) run->fractionOfLimit = FractionOfLimit(*rate, limit);
    }
    return comparison;
}

}  // namespace bench
