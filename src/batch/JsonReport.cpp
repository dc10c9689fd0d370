#include "JsonReport.h"

#include "Json.h"
#include "Results.h"
#include "Stability.h"
#include "bench/Buttons.h"
#include "bench/Kernels.h"
#include "bench/PairedRatio.h"
#include "Statistics.h"
#include "Text.h"

#include <cstdio>
#include <optional>

namespace batch {
namespace {

std::string JsonArray(const std::vector<HalfNanoseconds>& values) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + JsonNumber(values[i]);
    return out + "]";
}

// How steady the run was: the probe's time per round, and each button's
// median per round. Only interleaved rounds have them.
void WriteStability(std::ostream& out, const BatchRun& run, const std::vector<ButtonResult>& results) {
    const MachineStability machine = ProbeStability(run.probes);
    out << ",\n  \"stability\": {\n    \"machine\": {\"probe_elements\": " << bench::kProbeLength
        << ", \"probe_clicks_per_round\": " << kProbeClicksPerRound
        << ", \"round_medians_ns\": " << JsonArray(machine.roundMedians) << ", \"spread\": " << JsonNumber(machine.spread)
        << ", \"moved_threshold\": " << JsonNumber(kMachineMovedSpread) << ", \"moved\": " << (machine.moved ? "true" : "false")
        << "},\n    \"buttons\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ButtonResult& r = results[i];
        out << (i ? ",\n" : "\n") << "      {\"name\": " << JsonString(BenchmarkName(r.buttonId, *r.variant))
            << ", \"button\": " << r.buttonId << ", \"variant\": " << JsonString(r.variant->name) << ", \"round_medians_ns\": " << JsonArray(r.roundMedians) << ", \"spread\": " << JsonNumber(r.roundSpread) << "}";
    }
    out << "\n    ]\n  }";
}

void WriteContext(std::ostream& out, const BatchRun& run, const SystemInfo& system) {
    out << "  \"context\": {\n";
    WriteMachineContext(out, system);
    // The aggregates count only the clicks marked "follows_own_click": not
    // the button's first ("first_click", fresh memory) nor, in rounds, the
    // first of each round (after other buttons have taken the caches).
    out << "    \"statistics_exclude_first_click\": true,\n";
    out << "    \"statistics_clicks\": \"follows_own_click\",\n";
    out << "    \"order\": \"" << (run.order == Order::Rounds ? "rounds" : "blocks") << "\",\n";
    if (run.order == Order::Rounds) {
        out << "    \"seed\": " << run.seed << ",\n";
        out << "    \"rounds\": " << run.rounds << ",\n";
        out << "    \"clicks_per_round\": " << kClicksPerRound << ",\n";
    }
    out << "    \"count_text\": " << JsonString(run.countText) << ",\n";
    // The limits each click's fraction_of_limit was set against.
    out << "    \"store_limits\": [";
    for (auto it = run.storeLimits.begin(); it != run.storeLimits.end(); ++it) {
        out << (it == run.storeLimits.begin() ? "" : ", ") << "{\"bytes\": " << it->first.bytes
            << ", \"bytes_per_second\": " << JsonNumber(it->second)
            << "}";
    }
    out << "]";
    if (run.baseline) {
        // Each button's median aggregate carries its ratio to this one.
        out << ",\n    \"baseline\": {\"name\": " << JsonString(BenchmarkName(run.baseline->buttonId, *run.baseline->variant))
            << ", \"button\": " << run.baseline->buttonId << ", \"variant\": " << JsonString(run.baseline->variant->name)
            << ", \"ratio\": \"median over the rounds of the button's median in the round over the baseline's, of counted clicks not preempted\""
            << ", \"interval\": \"sign test: the rounds' k-th smallest and largest ratio\", \"confidence\": "
            << JsonNumber(bench::kRatioConfidence) << ", \"shortest_time_ns\": "
            << std::chrono::nanoseconds(bench::kShortestRatioTime).count() << "}";
    }
    out << ",\n    \"variants\": [";
    for (std::size_t i = 0; i < run.variants.size(); ++i) {
        const bench::Variant& v = *run.variants[i];
        out << (i ? ", " : "") << "{\"name\": " << JsonString(v.name) << ", \"default\": " << (v.isDefault ? "true" : "false")
            << ", \"compile_flags\": " << JsonString(v.build->compileFlags) << "}";
    }
    out << "]\n  },\n";
}

}  // namespace

void WriteJson(std::ostream& out, const BatchRun& run, const SystemInfo& system) {
    out << "{\n";
    WriteContext(out, run, system);
    out << "  \"benchmarks\": [";
    bool first = true;
    auto begin = [&]() {
        out << (first ? "\n" : ",\n") << "    {";
        first = false;
    };
    const std::vector<ButtonResult> results = GroupByButton(run);
    for (std::size_t family = 0; family < results.size(); ++family) {
        const ButtonResult& r = results[family];
        const std::string name = JsonString(BenchmarkName(r.buttonId, *r.variant));
        const std::string variant = JsonString(r.variant->name);
        auto common = [&](const std::string& entryName) {
            out << "\"name\": " << entryName << ", \"family_index\": " << family
                << ", \"per_family_instance_index\": 0, \"run_name\": " << name << ", \"repetitions\": " << r.clicks.size()
                << ", \"threads\": 1";
        };
        for (const Click* c : r.clicks) {
            begin();
            common(name);
            const bench::Measurement& m = c->measurement;
            const bool ok = m.Succeeded();
            out << ", \"run_type\": \"iteration\", \"repetition_index\": " << c->repetition
                << ", \"iterations\": 1, \"real_time\": " << (ok ? Elapsed(m).count() : 0)
                << ", \"cpu_time\": " << (ok ? m.threadCpuTime.count() : 0)
                << ", \"time_unit\": \"ns\", \"button\": " << c->buttonId << ", \"caption\": " << JsonString(TitleOf(c->buttonId))
                << ", \"count\": " << (ok ? std::to_string(m.elementCount) : std::string("null"))
                << ", \"result_text\": " << (ok ? JsonString(ResultText(m)) : std::string("null"))
                << ", \"sink\": " << (ok && m.sink ? JsonString(std::wstring(m.sink->GetString())) : std::string("null"))
                << ", \"page_faults\": " << c->pageFaults << ", \"variant\": " << variant
                << ", \"bytes_per_second\": " << JsonNumber(c->rate.bytesPerSecond)
                << ", \"fraction_of_limit\": " << JsonNumber(c->rate.fractionOfLimit) << ", \"round\": " << c->round << ", \"position\": " << c->position
                << ", \"follows_own_click\": " << (c->followsOwnClick ? "true" : "false")
                << ", \"first_click\": " << (c == &r.First() ? "true" : "false")
                << ", \"preempted\": " << (WasPreempted(m) ? "true" : "false")
                << ", \"error\": " << (ok ? std::string("null") : JsonString(ErrorOf(*c)));
            if (!ok) {
                out << ", \"error_occurred\": true, \"error_message\": " << JsonString(ErrorOf(*c));
            }
            out << "}";
        }
        // An aggregate of one sample would only repeat it.
        if (r.elapsed.samples < 2) continue;
        const bench::ButtonSpec* button = bench::FindButton(r.buttonId);
        WriteAggregates(
            out, r.elapsed, r.cpuTime,
            [&](std::string_view aggregate) {
                begin();
                common(JsonString(BenchmarkName(r.buttonId, *r.variant) + "_" + std::string(aggregate)));
            },
            [&](std::string_view aggregate, std::optional<std::chrono::duration<double>> time) {
                out << ", \"button\": " << r.buttonId << ", \"count\": " << r.elementCount << ", \"variant\": " << variant;
                if (r.toBaseline && aggregate == "median") WriteRatioFields(out, *r.toBaseline);
                // The aggregates that are a click's time: the rate of a fill that took it.
                if (time && button != nullptr) {
                    const StoreRate rate = RateOf(run, *button, r.elementCount, *time);
                    out << ", \"bytes_per_second\": " << JsonNumber(rate.bytesPerSecond)
                        << ", \"fraction_of_limit\": " << JsonNumber(rate.fractionOfLimit);
                }
                out << "}";
            });
    }
    out << "\n  ]";
    if (run.order == Order::Rounds) WriteStability(out, run, results);
    out << "\n}\n";
}

}  // namespace batch
