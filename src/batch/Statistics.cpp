#include "Statistics.h"

#include <algorithm>
#include <cmath>

namespace batch {

using std::chrono::nanoseconds;

double Summary::MeanNanoseconds() const {
    return samples > 0 ? static_cast<double>(total.count()) / samples : 0;
}

double Summary::CoefficientOfVariation() const {
    const double mean = MeanNanoseconds();
    return mean != 0 ? stddevNanoseconds / mean : 0;
}

double Summary::MaxOverMin() const {
    return min.count() > 0 ? static_cast<double>(max.count()) / static_cast<double>(min.count()) : 0;
}

Summary Summarize(std::vector<nanoseconds> durations) {
    Summary s;
    if (durations.empty()) return s;
    std::sort(durations.begin(), durations.end());
    s.samples = static_cast<int>(durations.size());
    s.min = durations.front();
    s.max = durations.back();
    s.median = Median(durations);
    for (nanoseconds d : durations) s.total += d;
    const double mean = s.MeanNanoseconds();
    if (durations.size() > 1) {
        double squares = 0;
        for (nanoseconds d : durations) squares += (static_cast<double>(d.count()) - mean) * (static_cast<double>(d.count()) - mean);
        s.stddevNanoseconds = std::sqrt(squares / static_cast<double>(durations.size() - 1));
    }
    // |x - median| / x; a click of 0 ns is as far as can be from a median
    // above 0 (an error of 1), and none from a median of 0.
    const double median = std::chrono::duration<double, std::nano>(s.median).count();
    std::vector<double> errors;
    for (nanoseconds d : durations) {
        const auto x = static_cast<double>(d.count());
        errors.push_back(x > 0 ? std::abs(x - median) / x : (median > 0 ? 1.0 : 0.0));
    }
    s.medianAbsolutePercentError = bench::Median(std::move(errors));
    return s;
}

bool WasPreempted(const bench::Measurement& m) {
    if (!m.Succeeded()) return false;
    const auto wall = std::chrono::duration_cast<nanoseconds>(m.elapsed);
    return m.offCpuTime > kPreemptedMinimumOffCpu &&
           static_cast<double>(m.offCpuTime.count()) > kPreemptedOffCpuShare * static_cast<double>(wall.count());
}

}  // namespace batch
