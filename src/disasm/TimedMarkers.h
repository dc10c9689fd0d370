// The labels the kernels' VELQUOR_TIMED_BEGIN and VELQUOR_TIMED_END left in
// the program, read from the velquor_timed section.
#pragma once

#include "bench/TimedSection.h"

#include <cstdint>
#include <span>
#include <vector>

namespace disasm {

/// The begin and end labels that lie in one function.
struct TimedLabels {
    /// Addresses of VELQUOR_TIMED_BEGIN labels, ascending.
    std::vector<std::uint64_t> begins;
    /// Addresses of VELQUOR_TIMED_END labels, ascending.
    std::vector<std::uint64_t> ends;
};

/// Every marker record of the program; empty when no kernel has markers.
std::span<const bench::TimedMarker> ProgramMarkers();

/// The labels of markers whose address lies in [begin, end).
TimedLabels LabelsWithin(std::span<const bench::TimedMarker> markers, std::uint64_t begin, std::uint64_t end);

}  // namespace disasm
