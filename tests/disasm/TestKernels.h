// Kernels written as the program's are (prepare, t0, marker, the plain loop,
// Clobber, marker, t1, sink, release), for the disassembler's tests.
#pragma once

#include <chrono>

namespace testkernels {

#if defined(__clang__) && defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELQUOR_LIBRARY_OUT_OF_LINE 1
#endif
#endif
/// False where the compiler keeps small library functions out of line, so
/// that the loops call them: clang at the sanitizer build's -O1 does so with
/// unique_ptr::operator[] and vector::at.
#ifdef VELQUOR_LIBRARY_OUT_OF_LINE
inline constexpr bool kLibraryInlined = false;
#else
inline constexpr bool kLibraryInlined = true;
#endif

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
