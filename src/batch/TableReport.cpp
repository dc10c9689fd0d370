#include "TableReport.h"

#include "Baseline.h"

#include "Results.h"
#include "Stability.h"
#include "Text.h"
#include "bench/Kernels.h"
#include "bench/PairedRatio.h"
#include "dialog/DisplayWidth.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

namespace batch {
namespace {

std::string Pad(const std::wstring& text, int width) {
    return Utf8(text) + std::string(static_cast<std::size_t>(std::max(0, width - dialog::DisplayWidth(text))), ' ');
}

template <class Duration>
std::string Milliseconds(Duration d) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%10.6f", std::chrono::duration<double, std::milli>(d).count());
    return buffer;
}

// scale x v with the given decimals; "-" for none.
std::string Fixed(const std::optional<double>& v, double scale, int decimals) {
    if (!v) return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, *v * scale);
    return buffer;
}

// The ratio's text; empty without a baseline.
std::string RatioCell(const ButtonResult& r) {
    return r.toBaseline ? RatioText(*r.toBaseline) : std::string();
}

bool SpreadsWidely(const Summary& s) {
    return s.samples > 1 && (s.min.count() > 0 ? s.MaxOverMin() > kWideSpread : s.max.count() > 0);
}

bool Unstable(const Summary& s) {
    return s.samples > 1 && s.medianAbsolutePercentError > kUnstableMdape;
}

}  // namespace

std::string PreemptedLegend() {
    return "preempted: clicks whose thread did not run for more than " + ExactDecimal(100 * kPreemptedOffCpuShare) +
           " % of their clock time (and " + std::to_string(kPreemptedMinimumOffCpu.count() / 1000) +
           " us): another process, the host or an interrupt had the CPU.\n";
}

void WriteTable(std::ostream& out, const BatchRun& run, const SystemInfo& system) {
    const std::vector<ButtonResult> results = GroupByButton(run);
    int titleWidth = 7;
    for (const ButtonResult& r : results) titleWidth = std::max(titleWidth, dialog::DisplayWidth(TitleOf(r.buttonId)));
    const std::string ratioHeading = run.baseline ? "x baseline [95 % interval]" : "";
    std::size_t ratioWidth = ratioHeading.size();
    for (const ButtonResult& r : results) ratioWidth = std::max(ratioWidth, RatioCell(r).size());
    // The ratio's column, before the sink; nothing without a baseline.
    const auto ratioColumn = [&](const std::string& cell) {
        return run.baseline ? cell + std::string(ratioWidth - cell.size(), ' ') + "  " : std::string();
    };
    const std::size_t repetitions = results.empty() ? 0 : results.front().clicks.size();
    out << "Lumorak batch: count field \"" << Printable(Utf8(run.countText)) << "\", " << repetitions
        << (repetitions == 1 ? " click" : " clicks") << (run.variants.size() > 1 ? " per button and variant, " : " per button, ") << Printable(system.cpuModel) << ", "
        << system.cpuCount << " CPUs, " << system.buildType << " build\n";
    if (run.order == Order::Rounds) {
        out << "Order: " << run.rounds << (run.rounds == 1 ? " round" : " rounds") << " of up to " << kClicksPerRound
            << " clicks per button, the buttons in a random order each round, seed " << run.seed << "\n";
    } else {
        out << "Order: blocks, all clicks of one button, then the next\n";
    }
    out << "1st: each button's first click (fresh memory). min, median, max and MdAPE: its clicks that follow one of\n"
           "its own, as when a button is clicked again and again (not the first of each round, after other buttons)\n\n";
    out << "    id    variant  " << Pad(L"caption", titleWidth)
        << "  elements      1st ms      min ms   median ms      max ms  MdAPE %    ns/elem     GB/s  of limit  rounds x  "
           "preempted  faults/click  "
        << ratioColumn(ratioHeading) << "sink\n";
    bool anyWide = false, anyUnstable = false, anyPreempted = false, anyFailed = false;
    for (const ButtonResult& r : results) {
        const Summary& s = r.elapsed;
        const bool wide = SpreadsWidely(s), unstable = Unstable(s);
        anyWide = anyWide || wide;
        anyUnstable = anyUnstable || unstable;
        anyPreempted = anyPreempted || r.preemptedClicks > 0;
        anyFailed = anyFailed || r.failures > 0;
        char line[512];
        std::snprintf(line, sizeof line, "%c%c  %4d  %-7s  ", wide ? '*' : ' ', unstable ? '~' : ' ', r.buttonId,
                      std::string(r.variant->name).c_str());
        out << line << Pad(TitleOf(r.buttonId), titleWidth);
        if (static_cast<std::size_t>(r.failures) == r.clicks.size()) {
            out << "  " << r.failures << " of " << r.clicks.size()
                << " clicks failed: " << Printable(Utf8(ErrorOf(r.First()))) << "\n";
            continue;
        }
        const bench::Measurement& first = r.First().measurement;
        std::snprintf(line, sizeof line, "  %8d  %s", r.elementCount,
                      first.Succeeded() ? Milliseconds(first.elapsed).c_str() : "    failed");
        out << line;
        if (s.samples == 0) {
            out << "           -           -           -        -          -        -         -";
        } else {
            const double nsPerElement = r.elementCount > 0
                                            ? std::chrono::duration<double, std::nano>(s.median).count() / r.elementCount
                                            : 0;
            std::snprintf(line, sizeof line, "  %s  %s  %s  %7.1f  %9.3f  %7s  %8s", Milliseconds(s.min).c_str(),
                          Milliseconds(s.median).c_str(), Milliseconds(s.max).c_str(),
                          100 * s.medianAbsolutePercentError, nsPerElement,
                          Fixed(r.medianRate.bytesPerSecond, 1e-9, 1).c_str(), Fixed(r.medianRate.fractionOfLimit, 1, 2).c_str());
            out << line;
        }
        if (r.roundSpread > 0) std::snprintf(line, sizeof line, "  %8.2f", r.roundSpread);
        else std::snprintf(line, sizeof line, "  %8s", "-");
        out << line;
        std::snprintf(line, sizeof line, "  %9d  %12.1f  ", r.preemptedClicks, r.meanPageFaults);
        out << line << ratioColumn(RatioCell(r)) << Printable(Utf8(r.lastSink));
        if (r.failures) out << "  (" << r.failures << " failed)";
        out << "\n";
    }
    const MachineStability machine = ProbeStability(run.probes);
    out << "\n";
    if (run.order == Order::Rounds) {
        out << "rounds x: the largest of a button's per-round medians over the smallest. The probe loop ("
            << bench::kProbeLength << " ints) before each round: ";
        if (machine.spread > 0) {
            char spread[32];
            std::snprintf(spread, sizeof spread, "%.2fx", machine.spread);
            out << "slowest round over fastest " << spread << (machine.moved ? ", the machine's speed moved.\n" : ".\n");
        } else {
            out << "one round, nothing to compare.\n";
        }
    }
    if (anyWide) {
        out << "*  max/min above " << kWideSpread
            << ": the counted clicks of this button spread widely; do not trust its median without more repetitions.\n";
    }
    if (anyUnstable) {
        out << "~  MdAPE above " << 100 * kUnstableMdape
            << " %: unstable; half of the counted clicks lie further than that from their median.\n";
    }
    if (anyPreempted) {
        out << PreemptedLegend();
    }
    if (anyFailed) out << "Some clicks failed; the CSV and JSON reports carry each click's error.\n";
    if (run.baseline) {
        out << "x baseline: in each round, this row's median over that of " << BenchmarkName(run.baseline->buttonId, *run.baseline->variant)
            << " (their counted clicks not preempted); the median of\nthose ratios and, in brackets, the rounds' k-th smallest "
               "and k-th largest ratio, which hold the true median ratio with\nat least "
            << 100 * bench::kRatioConfidence
            << " % probability whatever the times' distribution (the sign test's interval). \"no difference shown\":\nthe "
               "interval holds 1. No ratio where a median is below "
            << bench::kShortestRatioTime.count() << " us: the clock does not resolve it.\n";
    }
    if (!run.storeLimits.empty()) {
        out << "GB/s: bytes of the array stored per second of the median click. of limit: that against this machine's\n"
               "store limit for the same bytes, memset's median of "
            << bench::kStoreLimitRuns << " runs, measured before the first click:\n";
        for (const auto& [size, bytesPerSecond] : run.storeLimits) {
            out << "  " << size.bytes << " bytes: "
                << Fixed(bytesPerSecond, 1e-9, 1) << " GB/s\n";
        }
    }
}

}  // namespace batch
