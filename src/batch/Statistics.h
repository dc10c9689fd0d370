// Summary statistics of one button's clicks.
#pragma once

#include <vector>

namespace batch {

struct Summary {
    int samples = 0;
    double mean = 0;
    double median = 0;
    double stddev = 0;  ///< sample standard deviation (n - 1); 0 for one sample
    double cv = 0;      ///< stddev / mean; 0 when the mean is 0
    double min = 0;
    double max = 0;
};

/// Summary of the values; all zero for none.
Summary Summarize(std::vector<double> values);

}  // namespace batch
