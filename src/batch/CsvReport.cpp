#include "CsvReport.h"

#include "Results.h"
#include "Statistics.h"
#include "Text.h"

namespace batch {
namespace {

std::string CsvField(const std::wstring& text) {
    const std::string s = Utf8(text);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

void WriteCsv(std::ostream& out, const BatchRun& run) {
    // New columns go at the end, so that scripts reading older reports by position still work.
    out << "button,caption,repetition_index,count,real_time_ns,result_text,sink,page_faults,error,cpu_time_ns,preempted,"
           "first_click,round,position,follows_own_click\n";
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
            << c.position << ',' << (c.followsOwnClick ? 1 : 0) << '\n';
    }
}

}  // namespace batch
