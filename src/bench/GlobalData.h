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

/// The largest count button 1055 accepts: its sink reads element
/// 3 x count - 3 of g_staticArrayInit, which must lie inside the array.
inline constexpr int kMovingPointerMaxCount = (kGlobalArrayLength + 2) / 3;
static_assert(3LL * kMovingPointerMaxCount - 3 < kGlobalArrayLength);
static_assert(3LL * (kMovingPointerMaxCount + 1) - 3 >= kGlobalArrayLength);

}  // namespace bench

/// Filled by button 1037.
extern std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArray;
/// Filled by button 1039.
extern std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArrayInit;
/// Filled by button 1041 by name and by button 1053 through g_pStaticArray.
extern unsigned long long g_staticArray[bench::kGlobalArrayLength];
/// Filled by button 1043 by name; button 1055 moves g_pStaticArrayInit over it.
extern unsigned long long g_staticArrayInit[bench::kGlobalArrayLength];

/// The first element of g_staticArray; never changes.
extern unsigned long long* g_pStaticArray;
/// Button 1055 moves it forward during its run and puts it back to the first
/// element of g_staticArrayInit before the run ends.
extern unsigned long long* g_pStaticArrayInit;

/// After a run of 1053 or 1055: the decimal text of the one element that run
/// read; empty when that run's count was 0.
extern std::vector<CString> g_sinkStrings;
