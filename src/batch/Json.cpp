#include "Json.h"

#include "Text.h"
#include "bench/PairedRatio.h"

#include <cstdio>

namespace batch {

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string JsonString(const std::wstring& text) {
    return JsonString(Utf8(text));
}

std::string JsonNumber(double v) {
    return ExactDecimal(v);
}

std::string JsonNumber(const std::optional<double>& v) {
    return v ? ExactDecimal(*v) : std::string("null");
}

std::string JsonNumber(HalfNanoseconds d) {
    const long long halves = d.count();
    return std::to_string(halves / 2) + (halves % 2 ? ".5" : "");
}

std::string JsonNumber(std::chrono::nanoseconds d) {
    return std::to_string(d.count());
}

void WriteRatioFields(std::ostream& out, const RatioToBaseline& to) {
    const std::optional<bench::PairedRatio>& ratio = to.ratio;
    out << ", \"is_baseline\": " << (to.isBaseline ? "true" : "false")
        << ", \"ratio_to_baseline\": " << (ratio ? JsonNumber(ratio->median) : "null")
        << ", \"ratio_low\": " << JsonNumber(ratio ? ratio->low : std::nullopt)
        << ", \"ratio_high\": " << JsonNumber(ratio ? ratio->high : std::nullopt)
        << ", \"ratio_confidence\": " << (ratio && ratio->low ? JsonNumber(ratio->confidence) : "null")
        << ", \"ratio_rounds\": " << (ratio ? ratio->rounds : 0)
        << ", \"difference_shown\": " << (ratio && ratio->DifferenceShown() ? "true" : "false")
        << ", \"ratio_note\": " << (ratio ? std::string("null") : JsonString(to.whyNone));
}

void WriteMachineContext(std::ostream& out, const SystemInfo& system) {
    out << "    \"date\": " << JsonString(system.date) << ",\n";
    out << "    \"host_name\": " << JsonString(system.hostName) << ",\n";
    out << "    \"executable\": " << JsonString(system.executable) << ",\n";
    out << "    \"num_cpus\": " << system.cpuCount << ",\n";
    if (system.mhzPerCpu) out << "    \"mhz_per_cpu\": " << static_cast<long long>(*system.mhzPerCpu + 0.5) << ",\n";
    out << "    \"cpu_model\": " << JsonString(system.cpuModel) << ",\n";
    if (system.cpuScalingEnabled) out << "    \"cpu_scaling_enabled\": " << (*system.cpuScalingEnabled ? "true" : "false") << ",\n";
    out << "    \"caches\": [";
    for (std::size_t i = 0; i < system.caches.size(); ++i) {
        const CacheInfo& c = system.caches[i];
        out << (i ? ",\n" : "\n") << "      {\"type\": " << JsonString(c.type) << ", \"level\": " << c.level
            << ", \"size\": " << c.sizeBytes << ", \"num_sharing\": " << c.numSharing << "}";
    }
    out << (system.caches.empty() ? "],\n" : "\n    ],\n");
    if (!system.cacheSource.empty()) out << "    \"caches_source\": " << JsonString(system.cacheSource) << ",\n";
    if (system.loadAverage) {
        const auto& load = *system.loadAverage;
        out << "    \"load_avg\": [" << JsonNumber(load[0]) << ", " << JsonNumber(load[1]) << ", " << JsonNumber(load[2])
            << "],\n";
    }
    out << "    \"library_build_type\": " << JsonString(system.libraryBuildType) << ",\n";
    out << "    \"build_type\": " << JsonString(system.buildType) << ",\n";
    out << "    \"compiler\": " << JsonString(system.compiler) << ",\n";
    out << "    \"compiler_flags\": " << JsonString(system.compilerFlags) << ",\n";
}

void WriteAggregates(std::ostream& out, const Summary& real, const Summary& cpu,
                     const std::function<void(std::string_view aggregate)>& open,
                     const std::function<void(std::string_view aggregate, std::optional<std::chrono::duration<double>> time)>& close) {
    using Nanoseconds = std::chrono::duration<double, std::nano>;
    using Field = std::string (*)(const Summary&);
    using Time = Nanoseconds (*)(const Summary&);
    const struct {
        const char* name;
        Field field;
        Time time;  ///< null for the spreads
    } aggregates[] = {
        {"mean", [](const Summary& s) { return JsonNumber(s.MeanNanoseconds()); },
         [](const Summary& s) { return Nanoseconds(s.MeanNanoseconds()); }},
        {"median", [](const Summary& s) { return JsonNumber(s.median); }, [](const Summary& s) { return Nanoseconds(s.median); }},
        {"stddev", [](const Summary& s) { return JsonNumber(s.stddevNanoseconds); }, nullptr},
        {"cv", [](const Summary& s) { return JsonNumber(s.CoefficientOfVariation()); }, nullptr},
        {"mdape", [](const Summary& s) { return JsonNumber(s.medianAbsolutePercentError); }, nullptr},
        {"min", [](const Summary& s) { return JsonNumber(s.min); }, [](const Summary& s) { return Nanoseconds(s.min); }},
        {"max", [](const Summary& s) { return JsonNumber(s.max); }, [](const Summary& s) { return Nanoseconds(s.max); }},
    };
    for (const auto& aggregate : aggregates) {
        open(aggregate.name);
        const bool percentage = aggregate.time == nullptr && std::string_view(aggregate.name) != "stddev";
        out << ", \"run_type\": \"aggregate\", \"aggregate_name\": \"" << aggregate.name << "\", \"aggregate_unit\": \""
            << (percentage ? "percentage" : "time") << "\", \"iterations\": " << real.samples
            << ", \"real_time\": " << aggregate.field(real) << ", \"cpu_time\": " << aggregate.field(cpu) << ", \"time_unit\": \"ns\"";
        close(aggregate.name, aggregate.time ? std::optional<std::chrono::duration<double>>(aggregate.time(real)) : std::nullopt);
    }
}

}  // namespace batch
