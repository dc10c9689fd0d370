// Kernels written as the program's are (prepare, t0, marker, the plain loop,
// Clobber, marker, t1, sink, release), for the disassembler's tests.
#pragma once

#include <chrono>

namespace testkernels {

/// What a kernel measured and the value its sink received.
struct Result {
    std::chrono::system_clock::duration elapsed;
    long long sink;
};

/// new int[count], element i = i.
Result FillNewIntArray(int count);
/// A vector of count zeros, element i = i through at().
Result FillVectorAt(int count);
/// A vector of count zeros, element i = i through operator[].
Result FillVectorIndex(int count);
/// An empty vector, push_back(i) without reserve.
Result FillVectorPushBack(int count);
/// An array of count wide strings, element i = the decimal text of i.
Result FillFormattedStrings(int count);
/// The loop of FillNewIntArray without markers.
Result FillUnmarked(int count);

}  // namespace testkernels
