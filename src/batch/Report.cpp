#include "Report.h"

#include "Text.h"
#include "bench/Buttons.h"
#include "dialog/ResultText.h"
#include "framework/AfxString.h"

#include <chrono>
#include <cstdio>
#include <map>

namespace batch {
namespace {

double Milliseconds(const bench::Measurement& m) {
    return std::chrono::duration<double, std::milli>(m.elapsed).count();
}

double Nanoseconds(const bench::Measurement& m) {
    return std::chrono::duration<double, std::nano>(m.elapsed).count();
}

std::wstring Wide(std::string_view utf8) {
    return CString(std::string(utf8).c_str()).GetString();
}

std::wstring TitleOf(int id) {
    const bench::ButtonSpec* b = bench::FindButton(id);
    return b ? Wide(bench::Title(*b)) : std::to_wstring(id);
}

std::wstring ErrorOf(const Click& c) {
    return c.measurement.error ? Wide(c.measurement.error->message) : std::wstring();
}

const char* ErrorKindName(bench::ErrorKind kind) {
    switch (kind) {
    case bench::ErrorKind::CountRefused: return "count_refused";
    case bench::ErrorKind::OutOfMemory: return "out_of_memory";
    case bench::ErrorKind::Failed: return "failed";
    }
    return "failed";
}

std::wstring ResultText(const bench::Measurement& m) {
    CString text;
    dialog::FormatResultText(text, m.elapsed);
    return text.GetString();
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

std::string BenchmarkName(int buttonId) {
    const bench::ButtonSpec* b = bench::FindButton(buttonId);
    return b ? std::string(b->name) : std::to_string(buttonId);
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
            const bench::Measurement& m = c->measurement;
            if (!m.Succeeded()) {
                ++r.failures;
                continue;
            }
            ms.push_back(Milliseconds(m));
            r.elementCount = m.elementCount;
            r.lastSink = m.sink ? std::wstring(m.sink->GetString()) : L"-";
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
    out << "Lumorak batch: count field \"" << Printable(Utf8(run.countText)) << "\", " << repetitions << " clicks per button, "
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
                << Utf8(ErrorOf(*r.clicks.front())) << "\n";
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
        const bench::Measurement& m = c.measurement;
        if (m.Succeeded()) {
            out << m.elementCount << ',' << static_cast<long long>(Nanoseconds(m)) << ',' << CsvField(ResultText(m)) << ','
                << (m.sink ? CsvField(m.sink->GetString()) : std::string()) << ',';
        } else {
            out << ",,,,";
        }
        out << c.pageFaults << ',' << CsvField(ErrorOf(c)) << '\n';
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
            const bench::Measurement& m = c->measurement;
            const bool ok = m.Succeeded();
            const double ns = ok ? Nanoseconds(m) : 0;
            out << ", \"run_type\": \"iteration\", \"repetition_index\": " << c->repetition
                << ", \"iterations\": 1, \"real_time\": " << JsonNumber(ns) << ", \"cpu_time\": " << JsonNumber(ns)
                << ", \"time_unit\": \"ns\", \"button\": " << c->buttonId
                << ", \"caption\": " << JsonString(TitleOf(c->buttonId))
                << ", \"count\": " << (ok ? std::to_string(m.elementCount) : std::string("null"))
                << ", \"result_text\": " << (ok ? JsonString(ResultText(m)) : std::string("null"))
                << ", \"sink\": " << (ok && m.sink ? JsonString(m.sink->GetString()) : std::string("null"))
                << ", \"page_faults\": " << c->pageFaults
                << ", \"error\": " << (ok ? std::string("null") : JsonString(ErrorOf(*c)));
            if (!ok) {
                out << ", \"error_kind\": \"" << ErrorKindName(m.error->kind) << "\", \"error_occurred\": true, \"error_message\": "
                    << JsonString(ErrorOf(*c));
            }
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
