#include "Median.h"

#include <algorithm>

namespace bench {

HalfNanoseconds Median(std::vector<std::chrono::nanoseconds> durations) {
    if (durations.empty()) return {};
    const std::size_t n = durations.size();
    std::sort(durations.begin(), durations.end());
    if (n % 2 == 1) return durations[n / 2];
    // Two halves add up to whole half nanoseconds: exact.
    return HalfNanoseconds((durations[n / 2 - 1] + durations[n / 2]).count());
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const std::size_t n = values.size();
    std::sort(values.begin(), values.end());
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench
