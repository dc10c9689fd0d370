#include "Report.h"

#include "Buttons.h"
#include "framework/AfxString.h"

#include <chrono>
#include <cstdio>
#include <map>

namespace batch {
namespace {

double Milliseconds(const bench::RunRecord& r) {
    return std::chrono::duration<double, std::milli>(r.elapsed).count();
}

double Nanoseconds(const bench::RunRecord& r) {
    return std::chrono::duration<double, std::nano>(r.elapsed).count();
}

std::wstring TitleOf(int id) {
    const ButtonInfo* b = FindButton(id);
    return b ? b->Title() : std::to_wstring(id);
}

// Terminal columns a text takes: East Asian wide and full-width characters take two.
int DisplayWidth(const std::wstring& text) {
    int width = 0;
    for (wchar_t c : text) {
        const auto u = static_cast<unsigned>(c);
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
                          (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

std::string Pad(const std::wstring& text, int width) {
    return Utf8(text) + std::string(static_cast<std::size_t>(std::max(0, width - DisplayWidth(text))), ' ');
}

std::string Fixed(double v, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (unsigned char c : Utf8(text)) {
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

std::string JsonNumber(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

std::string CsvField(const std::wstring& text) {
    const std::string s = Utf8(text);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    return CStringA(CString(text.c_str())).GetString();
}

std::string BenchmarkName(int buttonId) {
    return std::to_string(buttonId) + " " + Utf8(TitleOf(buttonId));
}

std::vector<ButtonResult> GroupByButton(const BatchRun& run) {
    std::vector<ButtonResult> results;
    std::map<int, std::size_t> index;
    for (const Click& c : run.clicks) {
        auto [it, fresh] = index.try_emplace(c.buttonId, results.size());
        if (fresh) results.push_back(ButtonResult{c.buttonId, 0, {}, {}, 0, 0, L"-"});
        results[it->second].clicks.push_back(&c);
    }
    for (ButtonResult& r : results) {
        std::vector<double> ms;
        double faults = 0;
        for (const Click* c : r.clicks) {
            faults += static_cast<double>(c->pageFaults);
            if (!c->record) {
                ++r.failures;
                continue;
            }
            ms.push_back(Milliseconds(*c->record));
            r.elementCount = c->record->elementCount;
            r.lastSink = c->record->sink ? std::wstring(c->record->sink->GetString()) : L"-";
        }
        r.elapsedMilliseconds = Summarize(ms);
        r.meanPageFaults = r.clicks.empty() ? 0 : faults / static_cast<double>(r.clicks.size());
    }
    return results;
}

void WriteTable(std::ostream& out, const BatchRun& run, const SystemInfo& system) {
    const std::vector<ButtonResult> results = GroupByButton(run);
    int titleWidth = 7;
    for (const ButtonResult& r : results) titleWidth = std::max(titleWidth, DisplayWidth(TitleOf(r.buttonId)));
    const int repetitions = results.empty() ? 0 : static_cast<int>(results.front().clicks.size());
    out << "Lumorak batch: count field \"" << Utf8(run.countText) << "\", " << repetitions << " clicks per button, "
        << system.cpuModel << ", " << system.cpuCount << " CPUs, " << system.buildType << " build\n\n";
    out << "  id    " << Pad(L"caption", titleWidth) << "  elements      min ms   median ms      max ms    ns/elem  faults/click  sink\n";
    bool anyWide = false, anyFailed = false;
    for (const ButtonResult& r : results) {
        const Summary& s = r.elapsedMilliseconds;
        const bool wide = s.samples > 1 && (s.min > 0 ? s.max / s.min > kWideSpread : s.max > 0);
        anyWide = anyWide || wide;
        anyFailed = anyFailed || r.failures > 0;
        char line[512];
        const double nsPerElement = r.elementCount > 0 ? s.median * 1e6 / r.elementCount : 0;
        std::snprintf(line, sizeof line, "%c %4d  ", wide ? '*' : ' ', r.buttonId);
        out << line << Pad(TitleOf(r.buttonId), titleWidth);
        if (s.samples == 0) {
            out << "  " << r.failures << " of " << r.clicks.size() << " clicks failed: "
                << Utf8(r.clicks.front()->error) << "\n";
            continue;
        }
        std::snprintf(line, sizeof line, "  %8d  %10.6f  %10.6f  %10.6f  %9.3f  %12.1f  ", r.elementCount, s.min, s.median,
                      s.max, nsPerElement, r.meanPageFaults);
        out << line << Utf8(r.lastSink);
        if (r.failures) out << "  (" << r.failures << " failed)";
        out << "\n";
    }
    if (anyWide) {
        out << "\n* max/min above " << Fixed(kWideSpread, 0)
            << ": the clicks of this button spread widely; do not trust its median without more repetitions.\n";
    }
    if (anyFailed) out << "\nSome clicks failed; the CSV and JSON reports carry each click's error.\n";
}

void WriteCsv(std::ostream& out, const BatchRun& run) {
    out << "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error\n";
    for (const Click& c : run.clicks) {
        out << c.buttonId << ',' << CsvField(TitleOf(c.buttonId)) << ',' << c.repetition << ',';
        if (c.record) {
            out << c.record->elementCount << ',' << static_cast<long long>(Nanoseconds(*c.record)) << ','
                << CsvField(c.record->resultText.GetString()) << ','
                << (c.record->sink ? CsvField(c.record->sink->GetString()) : std::string()) << ',';
        } else {
            out << ",,,,";
        }
        out << c.pageFaults << ',' << CsvField(c.error) << '\n';
    }
}

void WriteJson(std::ostream& out, const BatchRun& run, const SystemInfo& system) {
    out << "{\n  \"context\": {\n";
    out << "    \"date\": " << JsonString(CString(system.date.c_str()).GetString()) << ",\n";
    out << "    \"host_name\": " << JsonString(CString(system.hostName.c_str()).GetString()) << ",\n";
    out << "    \"executable\": " << JsonString(CString(system.executable.c_str()).GetString()) << ",\n";
    out << "    \"num_cpus\": " << system.cpuCount << ",\n";
    out << "    \"mhz_per_cpu\": " << static_cast<long long>(system.mhzPerCpu) << ",\n";
    out << "    \"cpu_model\": " << JsonString(CString(system.cpuModel.c_str()).GetString()) << ",\n";
    out << "    \"cpu_scaling_enabled\": false,\n";
    out << "    \"caches\": [],\n";
    out << "    \"load_avg\": [" << JsonNumber(system.loadAverage[0]) << ", " << JsonNumber(system.loadAverage[1]) << ", "
        << JsonNumber(system.loadAverage[2]) << "],\n";
    out << "    \"library_build_type\": \"" << system.buildType << "\",\n";
    out << "    \"count_text\": " << JsonString(run.countText) << "\n  },\n";
    out << "  \"benchmarks\": [";
    bool first = true;
    auto begin = [&]() {
        out << (first ? "\n" : ",\n") << "    {";
        first = false;
    };
    const std::vector<ButtonResult> results = GroupByButton(run);
    for (std::size_t family = 0; family < results.size(); ++family) {
        const ButtonResult& r = results[family];
        const std::string name = JsonString(CString(BenchmarkName(r.buttonId).c_str()).GetString());
        const std::size_t repetitions = r.clicks.size();
        auto common = [&](const std::string& entryName) {
            out << "\"name\": " << entryName << ", \"family_index\": " << family
                << ", \"per_family_instance_index\": 0, \"run_name\": " << name << ", \"repetitions\": " << repetitions
                << ", \"threads\": 1";
        };
        for (const Click* c : r.clicks) {
            begin();
            common(name);
            const double ns = c->record ? Nanoseconds(*c->record) : 0;
            out << ", \"run_type\": \"iteration\", \"repetition_index\": " << c->repetition
                << ", \"iterations\": 1, \"real_time\": " << JsonNumber(ns) << ", \"cpu_time\": " << JsonNumber(ns)
                << ", \"time_unit\": \"ns\", \"button\": " << c->buttonId
                << ", \"caption\": " << JsonString(TitleOf(c->buttonId))
                << ", \"count\": " << (c->record ? std::to_string(c->record->elementCount) : std::string("null"))
                << ", \"result_text\": " << (c->record ? JsonString(c->record->resultText.GetString()) : std::string("null"))
                << ", \"sink\": "
                << (c->record && c->record->sink ? JsonString(c->record->sink->GetString()) : std::string("null"))
                << ", \"page_faults\": " << c->pageFaults
                << ", \"error\": " << (c->error.empty() ? std::string("null") : JsonString(c->error));
            if (!c->error.empty()) out << ", \"error_occurred\": true, \"error_message\": " << JsonString(c->error);
            out << "}";
        }
        const Summary& s = r.elapsedMilliseconds;
        if (s.samples == 0) continue;
        const std::pair<const char*, double> aggregates[] = {
            {"mean", s.mean * 1e6}, {"median", s.median * 1e6}, {"stddev", s.stddev * 1e6},
            {"cv", s.cv},           {"min", s.min * 1e6},       {"max", s.max * 1e6},
        };
        for (const auto& [aggregate, value] : aggregates) {
            begin();
            const std::string entry = JsonString(CString((BenchmarkName(r.buttonId) + "_" + aggregate).c_str()).GetString());
            common(entry);
            const bool percentage = std::string(aggregate) == "cv";
            out << ", \"run_type\": \"aggregate\", \"aggregate_name\": \"" << aggregate << "\", \"aggregate_unit\": \""
                << (percentage ? "percentage" : "time") << "\", \"iterations\": " << s.samples
                << ", \"real_time\": " << JsonNumber(value) << ", \"cpu_time\": " << JsonNumber(value)
                << ", \"time_unit\": \"ns\", \"button\": " << r.buttonId << ", \"count\": " << r.elementCount << "}";
        }
    }
    out << "\n  ]\n}\n";
}

}  // namespace batch
