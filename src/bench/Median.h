// The median of a set of durations, exact to the half nanosecond: what the
// batch mode's statistics and the window's comparison of builds both show.
#pragma once

#include <chrono>
#include <cstdint>
#include <ratio>
#include <vector>

namespace bench {

/// Half nanoseconds: the median of an even number of nanosecond durations is exact in them.
using HalfNanoseconds = std::chrono::duration<std::int64_t, std::ratio<1, 2'000'000'000>>;

/// The median of the durations, exact; 0 for none.
HalfNanoseconds Median(std::vector<std::chrono::nanoseconds> durations);

/// The median of the values (the mean of the middle two of an even number); 0 for none.
double Median(std::vector<double> values);

}  // namespace bench
