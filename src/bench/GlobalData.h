// The global benchmark data of the right half of the window: four arrays of
// 4,000,000 unsigned 64-bit elements in zero-initialised static storage, two
// pointers to the plain arrays and the sink of the two pointer buttons.
//
// Nothing runs for them at start-up and nothing touches the arrays before a
// button fills one. Between runs every element is 0 again.
#pragma once

#include "framework/AfxString.h"

#include <array>
#include <vector>

namespace bench {

/// Elements of each global array.
inline constexpr int kGlobalArrayLength = 4000000;

/// The largest count MoveGlobalPointer accepts: its sink reads element
/// 3 x count - 3 of g_staticArrayInit, which must lie inside the array.
inline constexpr int kMovingPointerMaxCount = (kGlobalArrayLength + 2) / 3;
static_assert(3LL * kMovingPointerMaxCount - 3 < kGlobalArrayLength);
static_assert(3LL * (kMovingPointerMaxCount + 1) - 3 >= kGlobalArrayLength);

}  // namespace bench

/// Filled by FillGlobalArray<g_stdArray>.
extern std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArray;
/// Filled by FillGlobalArray<g_stdArrayInit>.
extern std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArrayInit;
/// Filled by name by FillGlobalArray<g_staticArray>, and through g_pStaticArray
/// by FillGlobalArrayByPointer.
extern unsigned long long g_staticArray[bench::kGlobalArrayLength];
/// Filled by name by FillGlobalArray<g_staticArrayInit>; MoveGlobalPointer moves
/// g_pStaticArrayInit over it.
extern unsigned long long g_staticArrayInit[bench::kGlobalArrayLength];

/// The first element of g_staticArray; never changes.
extern unsigned long long* g_pStaticArray;
/// MoveGlobalPointer moves it forward during its run and puts it back to the first
/// element of g_staticArrayInit before the run ends.
extern unsigned long long* g_pStaticArrayInit;

/// After a run of either pointer kernel: the decimal text of the one element that run
/// read; empty when that run's count was 0.
extern std::vector<CString> g_sinkStrings;
