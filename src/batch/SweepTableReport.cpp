#include "SweepReports.h"

#include "Baseline.h"
#include "TableReport.h"
#include "Text.h"
#include "dialog/SweepChart.h"
#include "framework/AfxString.h"

#include <cstdio>
#include <string>

namespace batch {
namespace {

std::string Bytes(double bytes) {
    return Utf8(dialog::BytesText(bytes));
}

std::string Micro(std::chrono::duration<double> d) {
    char text[32];
    std::snprintf(text, sizeof text, "%11.3f", d.count() * 1e6);
    return text;
}

std::string Fixed(const std::optional<double>& v, double scale, const char* format) {
    if (!v) return "-";
    char text[32];
    std::snprintf(text, sizeof text, format, *v * scale);
    return text;
}

std::string LevelName(int level) {
    // Appended rather than "L" + ...: g++ 12 warns wrongly about the operator's copy.
    std::string name = level > 0 ? "L" : "memory";
    if (level > 0) name += std::to_string(level);
    return name;
}

}  // namespace

std::string CachesLine(const SystemInfo& system) {
    const std::vector<CacheInfo> levels = bench::DataCacheLevels(system.caches);
    if (levels.empty()) return "Caches: not told by this machine (neither sysfs nor CPUID)";
    std::string line = "Caches (read from " + system.cacheSource + "):";
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const CacheInfo& c = levels[i];
        line += std::string(i ? ", " : " ") + "L" + std::to_string(c.level) + " " + Bytes(static_cast<double>(c.sizeBytes)) +
                (c.type == "Data" ? " data" : "") + (c.numSharing > 1 ? " shared by " + std::to_string(c.numSharing) + " CPUs" : "");
    }
    return line;
}

void WriteSweepTable(std::ostream& out, const bench::SweepRun& run, const SystemInfo& system, const bench::ButtonSpec* baseline) {
    const std::vector<SweepButtonResult> results = GroupSweep(run, system.caches, baseline);
    out << "Lumorak sweep: " << results.size() << (results.size() == 1 ? " button, " : " buttons, ") << run.plan.repetitions
        << " clicks per size, " << Printable(system.cpuModel) << ", " << system.cpuCount << " CPUs, " << system.buildType << " build\n";
    out << CachesLine(system) << "\n";
    out << "Order: each size's first click apart, smallest size first; then " << run.rounds << (run.rounds == 1 ? " round" : " rounds")
        << " of up to " << bench::kClicksPerRound << " clicks per size, all sizes of all buttons and of the store limit in a\n"
        << "random order each round, seed " << run.plan.seed << "\n";
    out << "median, MdAPE, ns/elem, GB/s: the clicks that follow one of their own size, as when a button is clicked again and again\n";
    bool anyUnstable = false, anyPreempted = false, anyAbove = false, anyFaults = false, anyStrings = false;
    for (const SweepButtonResult& r : results) {
        anyStrings = anyStrings || r.button->bytesPerElement == sizeof(CString) || r.button->family == bench::Family::StringArrays;
        out << "\n== " << r.button->name << "\n";
        out << "      elements       bytes  level       1st us   median us  MdAPE %   ns/elem     GB/s  limit GB/s  of limit  "
               "preempted  faults/click"
            << (baseline ? "  x baseline [95 % interval]" : "") << "\n";
        for (const SweepRow& row : r.rows) {
            const bool unstable = row.elapsed.samples > 1 && row.elapsed.medianAbsolutePercentError > kUnstableMdape;
            anyUnstable = anyUnstable || unstable;
            anyPreempted = anyPreempted || row.preemptedClicks > 0;
            anyAbove = anyAbove || (row.rate.fractionOfLimit && *row.rate.fractionOfLimit > 1);
            anyFaults = anyFaults || row.meanPageFaults >= 1;
            const bench::Measurement& first = row.first->measurement;
            char line[512];
            std::snprintf(line, sizeof line, "%c %12d  %10s  %-6s %s", unstable ? '~' : ' ', row.count,
                          Bytes(static_cast<double>(row.bytes)).c_str(), LevelName(row.level).c_str(),
                          first.Succeeded() ? Micro(first.elapsed).c_str() : "     failed");
            out << line;
            if (row.elapsed.samples == 0) {
                out << "           -        -         -        -           -         -";
            } else {
                std::snprintf(line, sizeof line, " %s  %7.1f  %8.3f  %7s  %10s  %8s", Micro(row.elapsed.median).c_str(),
                              100 * row.elapsed.medianAbsolutePercentError, *row.nsPerElement,
                              Fixed(row.rate.bytesPerSecond, 1e-9, "%.1f").c_str(), Fixed(row.limitBytesPerSecond, 1e-9, "%.1f").c_str(),
                              Fixed(row.rate.fractionOfLimit, 1, "%.2f").c_str());
                out << line;
            }
            std::snprintf(line, sizeof line, "  %9d  %12.1f", row.preemptedClicks, row.meanPageFaults);
            out << line;
            if (row.toBaseline) out << "  " << RatioText(*row.toBaseline);
            if (row.failures) out << "  (" << row.failures << " failed)";
            out << "\n";
        }
        out << "  ns/elem on each level (median of the sizes well inside it):";
        for (const bench::LevelCost& level : r.levels) {
            out << " " << LevelName(level.level) << " " << Fixed(level.nsPerElement, 1, "%.3f");
            if (level.nsPerElement) out << " (" << level.sizes << (level.sizes == 1 ? " size)" : " sizes)");
        }
        out << "\n";
        if (baseline && r.button != baseline) {
            out << "  x baseline on each level (every round of those sizes):";
            for (std::size_t i = 0; i < r.levels.size(); ++i) {
                const auto& ratio = r.levelRatios.at(i);
                out << (i ? ", " : " ") << LevelName(r.levels[i].level) << " "
                    << (ratio ? RatioText(RatioToBaseline{false, ratio, {}}) : std::string("-"));
            }
            out << "\n";
        }
        if (r.bends.empty()) {
            out << "  bends: none; no level costs " << Fixed(bench::kBendRatio, 1, "%.2f") << "x the one below it or more\n";
        }
        for (const bench::CurveBend& bend : r.bends) {
            out << "  bends from " << LevelName(bend.fromLevel) << " to " << LevelName(bend.toLevel) << " at about "
                << Bytes(bend.bytes) << ": " << Fixed(bend.ratio, 1, "%.2f") << "x the cost per element\n";
        }
        if (r.complexity) {
            out << "  complexity: O(" << r.complexity->bigO << "), " << Fixed(r.complexity->realCoefficient, 1, "%.4g")
                << " ns x " << r.complexity->bigO << ", RMS " << Fixed(r.complexity->rms, 100, "%.0f") << " %\n";
        }
        if (r.stop) out << "  " << StopText(*r.stop, run.plan.clickBudget) << "\n";
    }
    out << "\nGB/s: the array's bytes stored per second of the median click. limit GB/s: this machine's store limit for\n"
           "the same bytes, the fastest of memset's counted clicks in the same rounds, each writing where its previous\n"
           "one wrote, as a counted click writes where its own previous click did. of limit: the one over the other.\n"
           "level: the smallest cache that holds the array; bends: where ns/elem passes half-way between two levels'.\n";
    if (baseline) {
        out << "x baseline: in each round, the size's median over " << baseline->name << "'s at the same bytes (or,\n"
               "where it has none, the same count), the median of those ratios and its 95 % interval, which needs "
            << bench::kIntervalRounds << " rounds\n(--repetitions " << 1 + (bench::kIntervalRounds - 1) * bench::kClicksPerRound + 1
            << " gives them); a level's ratio takes every round of the sizes its ns/elem is of.\n";
    }
    if (anyAbove) {
        out << "of limit above 1: the fill's median beat memset's in the same rounds. Within the MdAPE of both, that is\n"
               "the clicks' own spread; beyond it, the fill's stores are wider than memset's or land in another way.\n";
    }
    if (anyFaults) {
        out << "faults/click: minor page faults per click. A heap array above the allocator's mapping threshold (32 MiB\n"
               "at most with glibc) is mapped afresh on every click, and its fill pays a fault for each 4 KiB page.\n";
    }
    if (anyStrings) {
        out << "bytes of a string array: the string objects only (" << sizeof(CString) << " bytes for a CString, " << sizeof(std::string)
            << " for a std::string);\neach element's characters lie in a heap block of their own besides, so the data a fill\n"
               "touches outgrows each cache at a fraction of the bytes shown.\n";
    }
    if (anyUnstable) out << "~  MdAPE above " << 100 * kUnstableMdape << " %: half of the size's counted clicks lie further than that from their median.\n";
    if (anyPreempted) out << PreemptedLegend();
}

}  // namespace batch
