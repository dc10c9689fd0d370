#include "TimedMarkers.h"

#include <algorithm>

// Defined by the linker around the velquor_timed section; weak, so that a
// program without any marker links and finds none.
extern "C" {
extern const bench::TimedMarker __start_velquor_timed[] __attribute__((weak));
extern const bench::TimedMarker __stop_velquor_timed[] __attribute__((weak));
}

namespace disasm {

std::span<const bench::TimedMarker> ProgramMarkers() {
    if (__start_velquor_timed == nullptr || __stop_velquor_timed == nullptr) return {};
    return {__start_velquor_timed, __stop_velquor_timed};
}

TimedLabels LabelsWithin(std::span<const bench::TimedMarker> markers, std::uint64_t begin, std::uint64_t end) {
    TimedLabels labels;
    for (const bench::TimedMarker& marker : markers) {
        const std::uint64_t label = reinterpret_cast<std::uint64_t>(&marker.labelOffsetBytes) +
                                    static_cast<std::uint64_t>(marker.labelOffsetBytes);
        if (label < begin || label >= end) continue;
        if (marker.kind == bench::kTimedBegin) labels.begins.push_back(label);
        if (marker.kind == bench::kTimedEnd) labels.ends.push_back(label);
    }
    std::sort(labels.begins.begin(), labels.begins.end());
    std::sort(labels.ends.begin(), labels.ends.end());
    return labels;
}

}  // namespace disasm
