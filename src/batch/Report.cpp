#include "Report.h"

#include "bench/Buttons.h"
#include "dialog/ResultText.h"
#include "framework/AfxString.h"

#include <algorithm>
#include <chrono>
#include <cmath>
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

// "-" for none.
std::string OptionalFixed(const std::optional<double>& v, double scale, int decimals) {
    return v ? Fixed(*v * scale, decimals) : std::string("-");
}

std::string OptionalJsonNumber(const std::optional<double>& v) {
    return v ? JsonNumber(*v) : std::string("null");
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

std::string BenchmarkName(int buttonId, const bench::Variant& variant) {
    const bench::ButtonSpec* b = bench::FindButton(buttonId);
    const std::string name = b ? std::string(b->name) : std::to_string(buttonId);
    return variant.isDefault ? name : name + "/" + std::string(variant.name);
}

std::vector<ButtonResult> GroupByButton(const BatchRun& run) {
    std::vector<ButtonResult> results;
    std::map<std::pair<int, const bench::Variant*>, std::size_t> index;
    for (const Click& c : run.clicks) {
        auto [it, fresh] = index.try_emplace({c.buttonId, c.variant}, results.size());
        if (fresh) {
            ButtonResult r;
            r.buttonId = c.buttonId;
            r.variant = c.variant;
            r.lastSink = L"-";
            results.push_back(std::move(r));
        }
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
        const bench::ButtonSpec* button = bench::FindButton(r.buttonId);
        if (button == nullptr || r.elapsedMilliseconds.samples == 0) continue;
        const bench::StoreSize size = bench::LimitSizeFor(*button, r.elementCount);
        r.medianBytesPerSecond = bench::BytesPerSecond(
            size.bytes, std::chrono::nanoseconds(std::llround(r.elapsedMilliseconds.median * 1e6)));
        const auto limit = run.storeLimits.find(size);
        if (r.medianBytesPerSecond && limit != run.storeLimits.end()) {
            r.medianFractionOfLimit = bench::FractionOfLimit(*r.medianBytesPerSecond, limit->second);
        }
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
    out << "  id    variant  " << Pad(L"caption", titleWidth)
        << "  elements      min ms   median ms      max ms    ns/elem     GB/s  of limit  faults/click  sink\n";
    bool anyWide = false, anyFailed = false;
    for (const ButtonResult& r : results) {
        const Summary& s = r.elapsedMilliseconds;
        const bool wide = s.samples > 1 && (s.min > 0 ? s.max / s.min > kWideSpread : s.max > 0);
        anyWide = anyWide || wide;
        anyFailed = anyFailed || r.failures > 0;
        char line[512];
        const double nsPerElement = r.elementCount > 0 ? s.median * 1e6 / r.elementCount : 0;
        std::snprintf(line, sizeof line, "%c %4d  %-7s  ", wide ? '*' : ' ', r.buttonId, std::string(r.variant->name).c_str());
        out << line << Pad(TitleOf(r.buttonId), titleWidth);
        if (s.samples == 0) {
            out << "  " << r.failures << " of " << r.clicks.size() << " clicks failed: "
                << Utf8(ErrorOf(*r.clicks.front())) << "\n";
            continue;
        }
        std::snprintf(line, sizeof line, "  %8d  %10.6f  %10.6f  %10.6f  %9.3f  %7s  %8s  %12.1f  ", r.elementCount, s.min,
                      s.median, s.max, nsPerElement, OptionalFixed(r.medianBytesPerSecond, 1e-9, 1).c_str(),
                      OptionalFixed(r.medianFractionOfLimit, 1, 2).c_str(), r.meanPageFaults);
        out << line << Utf8(r.lastSink);
        if (r.failures) out << "  (" << r.failures << " failed)";
        out << "\n";
    }
    if (anyWide) {
        out << "\n* max/min above " << Fixed(kWideSpread, 0)
            << ": the clicks of this button spread widely; do not trust its median without more repetitions.\n";
    }
    if (anyFailed) out << "\nSome clicks failed; the CSV and JSON reports carry each click's error.\n";
    if (!run.storeLimits.empty()) {
        out << "\nGB/s: bytes of the array stored per second of the median click. of limit: that against this machine's\n"
               "store limit for the same bytes, memset's median of " << bench::kStoreLimitRuns << " runs, measured before the first click:\n";
        for (const auto& [size, bytesPerSecond] : run.storeLimits) {
            out << "  " << size.bytes << " bytes"
                << (size.placement == bench::StorePlacement::SpreadOverGlobalArray ? " spread over 32 MB" : "") << ": "
                << Fixed(bytesPerSecond * 1e-9, 1) << " GB/s\n";
        }
    }
}

void WriteCsv(std::ostream& out, const BatchRun& run) {
    out << "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error,variant,bytes_per_second,"
           "fraction_of_limit\n";
    for (const Click& c : run.clicks) {
        out << c.buttonId << ',' << CsvField(TitleOf(c.buttonId)) << ',' << c.repetition << ',';
        const bench::Measurement& m = c.measurement;
        if (m.Succeeded()) {
            out << m.elementCount << ',' << static_cast<long long>(Nanoseconds(m)) << ',' << CsvField(ResultText(m)) << ','
                << (m.sink ? CsvField(m.sink->GetString()) : std::string()) << ',';
        } else {
            out << ",,,,";
        }
        out << c.pageFaults << ',' << CsvField(ErrorOf(c)) << ',' << c.variant->name << ','
            << (c.bytesPerSecond ? JsonNumber(*c.bytesPerSecond) : std::string()) << ','
            << (c.fractionOfLimit ? JsonNumber(*c.fractionOfLimit) : std::string()) << '\n';
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
    out << "    \"count_text\": " << JsonString(run.countText) << ",\n";
    out << "    \"store_limits\": [";
    for (auto it = run.storeLimits.begin(); it != run.storeLimits.end(); ++it) {
        const bool spread = it->first.placement == bench::StorePlacement::SpreadOverGlobalArray;
        out << (it == run.storeLimits.begin() ? "" : ", ") << "{\"bytes\": " << it->first.bytes << ", \"placement\": \""
            << (spread ? "spread_over_global_array" : "reused") << "\", \"bytes_per_second\": " << JsonNumber(it->second)
            << "}";
    }
    out << "],\n    \"variants\": [";
    std::vector<const bench::Variant*> used;
    for (const Click& c : run.clicks) {
        if (std::find(used.begin(), used.end(), c.variant) == used.end()) used.push_back(c.variant);
    }
    for (const bench::Variant* v : used) {
        out << (v == used.front() ? "" : ", ") << "{\"name\": \"" << v->name << "\", \"default\": "
            << (v->isDefault ? "true" : "false") << ", \"compile_flags\": " << JsonString(Wide(v->build->compileFlags))
            << "}";
    }
    out << "]\n  },\n";
    out << "  \"benchmarks\": [";
    bool first = true;
    auto begin = [&]() {
        out << (first ? "\n" : ",\n") << "    {";
        first = false;
    };
    const std::vector<ButtonResult> results = GroupByButton(run);
    for (std::size_t family = 0; family < results.size(); ++family) {
        const ButtonResult& r = results[family];
        const std::string name = JsonString(Wide(BenchmarkName(r.buttonId, *r.variant)));
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
                << ", \"page_faults\": " << c->pageFaults << ", \"variant\": \"" << c->variant->name
                << "\", \"bytes_per_second\": " << OptionalJsonNumber(c->bytesPerSecond)
                << ", \"fraction_of_limit\": " << OptionalJsonNumber(c->fractionOfLimit)
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
            const std::string entry = JsonString(Wide(BenchmarkName(r.buttonId, *r.variant) + "_" + aggregate));
            common(entry);
            const bool percentage = std::string(aggregate) == "cv";
            out << ", \"run_type\": \"aggregate\", \"aggregate_name\": \"" << aggregate << "\", \"aggregate_unit\": \""
                << (percentage ? "percentage" : "time") << "\", \"iterations\": " << s.samples
                << ", \"real_time\": " << JsonNumber(value) << ", \"cpu_time\": " << JsonNumber(value)
                << ", \"time_unit\": \"ns\", \"button\": " << r.buttonId << ", \"count\": " << r.elementCount
                << ", \"variant\": \"" << r.variant->name << "\"";
            // Rates of the aggregates that are times; the spread ones have none.
            if (!percentage && std::string(aggregate) != "stddev") {
                const bench::ButtonSpec* button = bench::FindButton(r.buttonId);
                const std::size_t bytes = button ? bench::BytesStored(*button, r.elementCount) : 0;
                const std::optional<double> rate = bench::BytesPerSecond(bytes, std::chrono::nanoseconds(std::llround(value)));
                const auto limit = button ? run.storeLimits.find(bench::LimitSizeFor(*button, r.elementCount)) : run.storeLimits.end();
                out << ", \"bytes_per_second\": " << OptionalJsonNumber(rate) << ", \"fraction_of_limit\": "
                    << OptionalJsonNumber(rate && limit != run.storeLimits.end() ? bench::FractionOfLimit(*rate, limit->second)
                                                                                 : std::nullopt);
            }
            out << "}";
        }
    }
    out << "\n  ]\n}\n";
}

}  // namespace batch
