// JSON as the reports write it: strings escaped, numbers exact, and the
// context's description of the machine and the build that every report
// shares with Google Benchmark's.
#pragma once

#include "Baseline.h"
#include "Statistics.h"
#include "SystemInfo.h"

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace batch {

std::string JsonString(std::string_view utf8);
std::string JsonString(const std::wstring& text);
/// Exact decimal; "null" for none.
std::string JsonNumber(double v);
std::string JsonNumber(const std::optional<double>& v);
/// Whole nanoseconds, or a half: the exact value.
std::string JsonNumber(HalfNanoseconds d);
std::string JsonNumber(std::chrono::nanoseconds d);

/// The fields of a ratio to the baseline (is_baseline, ratio_to_baseline,
/// its interval, rounds and verdict), each after a comma; ratio_note says why none.
void WriteRatioFields(std::ostream& out, const RatioToBaseline& to);

/// The context's fields on the machine and the build, one per line, each
/// followed by a comma: what the machine told, what it did not left out.
void WriteMachineContext(std::ostream& out, const SystemInfo& system);

/// Google Benchmark's aggregates of one run name: mean, median, stddev, cv,
/// mdape, min and max of the wall and CPU times, in that order. open(name)
/// starts an entry and writes the fields it shares with the run's others;
/// this adds the aggregate's own; close(name, time) writes the caller's
/// fields after them and ends the entry, time being the duration a time
/// aggregate stands for (none for the spreads).
void WriteAggregates(std::ostream& out, const Summary& real, const Summary& cpu,
                     const std::function<void(std::string_view aggregate)>& open,
                     const std::function<void(std::string_view aggregate, std::optional<std::chrono::duration<double>> time)>& close);

}  // namespace batch
