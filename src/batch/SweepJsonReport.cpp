#include "Json.h"
#include "Statistics.h"
#include "SweepReports.h"
#include "Text.h"

namespace batch {
namespace {

void WriteLevels(std::ostream& out, const SweepButtonResult& r) {
    out << "\"levels\": [";
    for (std::size_t i = 0; i < r.levels.size(); ++i) {
        const bench::LevelCost& l = r.levels[i];
        out << (i ? ", " : "") << "{\"level\": " << l.level << ", \"cache_bytes\": " << l.cacheBytes
            << ", \"ns_per_element\": " << JsonNumber(l.nsPerElement) << ", \"sizes\": " << l.sizes;
        if (i < r.levelRatios.size()) WriteRatioFields(out, RatioToBaseline{false, r.levelRatios[i], "no pair of rounds"});
        out << "}";
    }
    out << "], \"bends\": [";
    for (std::size_t i = 0; i < r.bends.size(); ++i) {
        const bench::CurveBend& b = r.bends[i];
        out << (i ? ", " : "") << "{\"from_level\": " << b.fromLevel << ", \"to_level\": " << b.toLevel
            << ", \"bytes\": " << JsonNumber(b.bytes) << ", \"ratio\": " << JsonNumber(b.ratio) << "}";
    }
    out << "]";
}

}  // namespace

std::string SweepEntryName(const bench::ButtonSpec& button, int count) {
    return std::string(button.name) + "/" + std::to_string(count);
}

void WriteSweepJson(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system, const bench::ButtonSpec* baseline) {
    const std::vector<SweepButtonResult> results = GroupSweep(run, system.caches, baseline);
    out << "{\n  \"context\": {\n";
    WriteMachineContext(out, system);
    out << "    \"mode\": \"sweep\",\n    \"statistics_exclude_first_click\": true,\n"
        << "    \"statistics_clicks\": \"follows_own_click\",\n    \"order\": \"rounds\",\n    \"seed\": " << run.plan.seed
        << ",\n    \"rounds\": " << run.rounds << ",\n    \"clicks_per_round\": " << bench::kClicksPerRound
        << ",\n    \"clicks_per_size\": " << run.plan.repetitions << ",\n    \"click_budget_ns\": "
        << std::chrono::nanoseconds(run.plan.clickBudget).count() << ",\n    \"notes\": [";
    for (std::size_t i = 0; i < run.plan.notes.size(); ++i) out << (i ? ", " : "") << JsonString(run.plan.notes[i]);
    out << "]";
    if (baseline) out << ",\n    \"baseline\": " << JsonString(baseline->name);
    out << "\n  },\n  \"benchmarks\": [";
    bool firstEntry = true;
    auto begin = [&] {
        out << (firstEntry ? "\n" : ",\n") << "    {";
        firstEntry = false;
    };
    for (std::size_t family = 0; family < results.size(); ++family) {
        const SweepButtonResult& r = results[family];
        const std::string familyName = JsonString(r.button->name);
        for (std::size_t instance = 0; instance < r.rows.size(); ++instance) {
            const SweepRow& row = r.rows[instance];
            const std::string runName = JsonString(SweepEntryName(*r.button, row.count));
            auto common = [&](const std::string& name) {
                out << "\"name\": " << name << ", \"family_index\": " << family << ", \"per_family_instance_index\": " << instance
                    << ", \"run_name\": " << runName << ", \"repetitions\": " << row.clicks << ", \"threads\": 1";
            };
            for (const bench::SweepClick& c : run.clicks) {
                if (c.subject != row.subject) continue;
                const bench::Measurement& m = c.measurement;
                const bool ok = m.Succeeded();
                begin();
                common(runName);
                out << ", \"run_type\": \"iteration\", \"repetition_index\": " << c.repetition << ", \"iterations\": 1, \"real_time\": "
                    << (ok ? std::chrono::nanoseconds(m.elapsed).count() : 0) << ", \"cpu_time\": " << (ok ? m.threadCpuTime.count() : 0)
                    << ", \"time_unit\": \"ns\", \"button\": " << r.button->buttonId << ", \"count\": " << row.count
                    << ", \"bytes\": " << row.bytes << ", \"level\": " << row.level << ", \"page_faults\": " << c.pageFaults
                    << ", \"round\": " << c.round << ", \"follows_own_click\": " << (c.followsOwnClick ? "true" : "false")
                    << ", \"first_click\": " << (c.repetition == 0 ? "true" : "false")
                    << ", \"preempted\": " << (WasPreempted(m) ? "true" : "false");
                if (!ok) out << ", \"error_occurred\": true, \"error_message\": " << JsonString(m.error->message);
                out << "}";
            }
            if (row.elapsed.samples < 2) continue;
            WriteAggregates(
                out, row.elapsed, row.cpuTime,
                [&](std::string_view aggregate) {
                    begin();
                    common(JsonString(SweepEntryName(*r.button, row.count) + "_" + std::string(aggregate)));
                },
                [&](std::string_view aggregate, std::optional<std::chrono::duration<double>> time) {
                    out << ", \"button\": " << r.button->buttonId << ", \"count\": " << row.count << ", \"bytes\": " << row.bytes
                        << ", \"level\": " << row.level;
                    if (row.toBaseline && aggregate == "median") WriteRatioFields(out, *row.toBaseline);
                    if (time) {
                        const std::optional<double> rate = bench::BytesPerSecond(row.bytes, *time);
                        out << ", \"bytes_per_second\": " << JsonNumber(rate) << ", \"limit_bytes_per_second\": "
                            << JsonNumber(row.limitBytesPerSecond) << ", \"fraction_of_limit\": "
                            << JsonNumber(rate && row.limitBytesPerSecond ? bench::FractionOfLimit(*rate, *row.limitBytesPerSecond)
                                                                          : std::nullopt);
                    }
                    out << "}";
                });
        }
        if (!r.complexity) continue;
        const auto complexity = [&](const char* aggregate, const char* unit) {
            begin();
            out << "\"name\": " << JsonString(std::string(r.button->name) + "_" + aggregate) << ", \"family_index\": " << family
                << ", \"per_family_instance_index\": 0, \"run_name\": " << familyName << ", \"run_type\": \"aggregate\", "
                << "\"repetitions\": " << run.plan.repetitions << ", \"threads\": 1, \"aggregate_name\": \"" << aggregate
                << "\", \"aggregate_unit\": \"" << unit << "\", ";
        };
        complexity("BigO", "time");
        out << "\"cpu_coefficient\": " << JsonNumber(r.complexity->cpuCoefficient) << ", \"real_coefficient\": "
            << JsonNumber(r.complexity->realCoefficient) << ", \"big_o\": " << JsonString(r.complexity->bigO)
            << ", \"time_unit\": \"ns\"}";
        complexity("RMS", "percentage");
        out << "\"rms\": " << JsonNumber(r.complexity->rms) << "}";
    }
    out << "\n  ],\n  \"sweep\": {\n    \"store_limit\": [";
    bool firstLimit = true;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const bench::SweepSubject& s = run.plan.subjects[i];
        const auto median = s.IsLimit() ? run.Median(i) : std::nullopt;
        if (!median) continue;
        const std::chrono::nanoseconds fastest = *run.Fastest(i);
        out << (firstLimit ? "" : ", ") << "{\"bytes\": " << s.bytes << ", \"median_ns\": " << JsonNumber(*median)
            << ", \"fastest_ns\": " << JsonNumber(fastest)
            << ", \"bytes_per_second\": " << JsonNumber(bench::BytesPerSecond(s.bytes, fastest)) << "}";
        firstLimit = false;
    }
    out << "],\n    \"buttons\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const SweepButtonResult& r = results[i];
        out << (i ? ",\n" : "\n") << "      {\"name\": " << JsonString(r.button->name) << ", \"button\": " << r.button->buttonId
            << ", ";
        WriteLevels(out, r);
        out << ", \"stopped\": " << (r.stop ? JsonString(StopText(*r.stop, run.plan.clickBudget)) : std::string("null")) << "}";
    }
    out << "\n    ]\n  }\n}\n";
}

}  // namespace batch
