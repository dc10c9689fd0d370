#include "CsvReport.h"

#include "Results.h"
#include "Statistics.h"
#include "Text.h"

#include <map>

namespace batch {
namespace {

std::string CsvField(const std::wstring& text) {
    const std::string s = Utf8(text);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// An empty field for none.
std::string CsvNumber(const std::optional<double>& v) {
    return v ? ExactDecimal(*v) : std::string();
}

}  // namespace

void WriteCsv(std::ostream& out, const BatchRun& run) {
    // New columns go at the end, so that scripts reading older reports by position still work.
    out << "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error,cpu_time_ns,preempted,"
           "first_click,round,position,follows_own_click,variant,bytes_per_second,fraction_of_limit,"
           "ratio_to_baseline,ratio_low,ratio_high\n";
    // The ratios are of a button's clicks together: each of its rows repeats them.
    std::map<std::pair<int, const bench::Variant*>, std::optional<bench::PairedRatio>> ratios;
    for (const ButtonResult& r : GroupByButton(run)) {
        if (r.toBaseline) ratios[{r.buttonId, r.variant}] = r.toBaseline->ratio;
    }
    for (const Click& c : run.clicks) {
        out << c.buttonId << ',' << CsvField(TitleOf(c.buttonId)) << ',' << c.repetition << ',';
        const bench::Measurement& m = c.measurement;
        const bool ok = m.Succeeded();
        if (ok) {
            out << m.elementCount << ',' << Elapsed(m).count() << ',' << CsvField(ResultText(m)) << ','
                << (m.sink ? CsvField(m.sink->GetString()) : std::string()) << ',';
        } else {
            out << ",,,,";
        }
        out << c.pageFaults << ',' << CsvField(ErrorOf(c)) << ',';
        if (ok) out << m.threadCpuTime.count();
        out << ',' << (ok ? (WasPreempted(m) ? "1" : "0") : "") << ',' << (c.repetition == 0 ? 1 : 0) << ',' << c.round << ','
            << c.position << ',' << (c.followsOwnClick ? 1 : 0) << ',' << c.variant->name << ','
            << CsvNumber(c.rate.bytesPerSecond) << ',' << CsvNumber(c.rate.fractionOfLimit);
        const auto ratio = ratios.find({c.buttonId, c.variant});
        if (ratio != ratios.end() && ratio->second) {
            out << ',' << ExactDecimal(ratio->second->median) << ',' << CsvNumber(ratio->second->low) << ','
                << CsvNumber(ratio->second->high) << '\n';
        } else {
            out << ",,,\n";
        }
    }
}

}  // namespace batch
