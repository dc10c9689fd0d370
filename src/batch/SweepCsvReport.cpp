#include "SweepReports.h"

#include "Text.h"

namespace batch {
namespace {

std::string Number(const std::optional<double>& v) {
    return v ? ExactDecimal(*v) : std::string();
}

}  // namespace

void WriteSweepCsv(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system, const bench::ButtonSpec* baseline) {
    out << "button,name,count,bytes,level,first_ns,median_ns,min_ns,max_ns,mdape,ns_per_element,bytes_per_second,"
           "limit_bytes_per_second,fraction_of_limit,clicks,counted_clicks,failures,preempted,page_faults_per_click,"
           "ratio_to_baseline,ratio_low,ratio_high\n";
    for (const SweepButtonResult& r : GroupSweep(run, system.caches, baseline)) {
        for (const SweepRow& row : r.rows) {
            const bench::Measurement& first = row.first->measurement;
            out << r.button->buttonId << ',' << r.button->name << ',' << row.count << ',' << row.bytes << ',' << row.level << ','
                << (first.Succeeded() ? std::to_string(std::chrono::nanoseconds(first.elapsed).count()) : std::string()) << ',';
            if (row.elapsed.samples > 0) {
                const auto halves = row.elapsed.median.count();
                out << halves / 2 << (halves % 2 ? ".5" : "") << ',' << row.elapsed.min.count() << ',' << row.elapsed.max.count()
                    << ',' << ExactDecimal(row.elapsed.medianAbsolutePercentError) << ',';
            } else {
                out << ",,,,";
            }
            out << Number(row.nsPerElement) << ',' << Number(row.rate.bytesPerSecond) << ',' << Number(row.limitBytesPerSecond)
                << ',' << Number(row.rate.fractionOfLimit) << ',' << row.clicks << ',' << row.elapsed.samples << ','
                << row.failures << ',' << row.preemptedClicks << ',' << ExactDecimal(row.meanPageFaults) << ',';
            const std::optional<bench::PairedRatio> ratio = row.toBaseline ? row.toBaseline->ratio : std::nullopt;
            if (ratio) out << ExactDecimal(ratio->median) << ',' << Number(ratio->low) << ',' << Number(ratio->high);
            else out << ",,";
            out << '\n';
        }
    }
}

}  // namespace batch
