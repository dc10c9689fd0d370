// The sweep box's text: what one element of a button's fill costs on each
// cache level beside memset's, where the curve bends, and where and why the
// button stopped; and the one line that says why a button cannot be swept.
#pragma once

#include "bench/Sweep.h"
#include "framework/AfxString.h"

#include <vector>

namespace dialog {

/// Why the button cannot be swept, in one line; empty when it can.
CString SweepRefusalText(const bench::ButtonSpec& button);

/// A heading, then one line per cache level and main memory: its size, the
/// median ns/element of the button's sizes inside it, memset's over the same
/// bytes, the fill's share of memset's speed and how many sizes the medians
/// are of, in columns for a fixed-width font ("-" for a figure not measured);
/// then where the curve bends and where the button stopped and why. Lines
/// end in "\r\n".
CString SweepTableText(const bench::SweepRun& run, const bench::ButtonSpec& button,
                       const std::vector<bench::CacheInfo>& caches);

/// What the run leaves out that the default series has (defaultSizes: the
/// run is of that series): sizes a global array cannot hold or this
/// machine's memory, and the store limit when its buffer could not be had;
/// a line each, ending in "\r\n", or empty.
CString SweepLeftOutText(const bench::SweepRun& run, const bench::ButtonSpec& button,
                         const std::vector<bench::CacheInfo>& caches, bool defaultSizes);

}  // namespace dialog
