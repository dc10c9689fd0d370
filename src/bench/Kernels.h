// The benchmark kernels, one per button. Each owns its whole run between the
// count and the result: preparation before t0, the fill loop between the two
// clock readings, the sink, and the release. None reads or writes a window.
//
// A kernel never throws: a refused count or a failed allocation comes back
// as Measurement::error.
#pragma once

#include "Measurement.h"

namespace bench {

// Heap arrays whose length is the count (DynamicArrays.cpp).
/// int[] from array new, filled by index; the sink takes the last element.
Measurement FillNewIntArray(int count);
/// int[] from malloc, filled by index; no sink.
Measurement FillMallocIntArray(int count);
/// int[] from array new, filled through a walking pointer; the sink takes count - 1.
Measurement FillNewIntArrayByPointer(int count);
/// CString[] filled through narrow strings, walking pointer; also holds a char[count].
Measurement FillCharStringArrayByPointer(int count);
/// CString[] filled through narrow strings, by index.
Measurement FillCharStringArray(int count);

// std::vector<int> (Vectors.cpp).
/// push_back into storage reserved before t0.
Measurement FillVectorPushBack(int count);
/// push_back into an empty vector that grows inside the timed loop.
Measurement FillVectorPushBackGrowing(int count);
/// at() over count zeros.
Measurement FillVectorAt(int count);
/// operator[] over count zeros.
Measurement FillVectorIndex(int count);

// Arrays of strings (StringArrays.cpp).
/// CString[] from array new, walking pointer.
Measurement FillCStringArrayByPointer(int count);
/// CString[] from array new, by index.
Measurement FillCStringArray(int count);
/// a local CString[100000]; the count is not read.
Measurement FillLocalCStringArray(int count);
/// std::string[] from array new, through narrow strings.
Measurement FillStdStringArray(int count);

// Local arrays of 100000 int on the stack; the count is not read (FixedArrays.cpp).
/// std::array<int, 100000>, zeroed before t0.
Measurement FillLocalStdArray(int count);
/// the same, under the label "初期化した場合".
Measurement FillLocalStdArrayInit(int count);
/// int[100000], used as it comes.
Measurement FillLocalIntArray(int count);

// The global arrays of 4,000,000 elements (GlobalArrays.cpp).
/// the global array Array filled by name; the written
/// elements are set back to 0 before the kernel returns.
template <auto& Array>
Measurement FillGlobalArray(int count);
/// g_staticArray filled through g_pStaticArray; the sink is g_sinkStrings.
Measurement FillGlobalArrayByPointer(int count);
/// moves g_pStaticArrayInit 2 x count elements; the sink is g_sinkStrings.
Measurement MoveGlobalPointer(int count);

// The machine-speed probe (Probe.cpp): not a button.
/// Elements the probe stores: 64 KiB of int, more than the first-level cache holds.
inline constexpr int kProbeLength = 16384;
/// Stores i into element i of a local std::array<int, kProbeLength> zeroed
/// before t0, as button 1012 does over 100000 elements; no sink.
Measurement ProbeStoreLoop();

}  // namespace bench
