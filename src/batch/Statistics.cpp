#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace batch {

Summary Summarize(std::vector<double> values) {
    Summary s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    s.samples = static_cast<int>(n);
    s.min = values.front();
    s.max = values.back();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    if (n > 1) {
        double squares = 0;
        for (double v : values) squares += (v - s.mean) * (v - s.mean);
        s.stddev = std::sqrt(squares / static_cast<double>(n - 1));
    }
    s.cv = s.mean != 0 ? s.stddev / s.mean : 0;
    return s;
}

}  // namespace batch
