#include "SweepResults.h"

#include "bench/StoreLimit.h"

#include <cmath>
#include <functional>
#include <sstream>

namespace batch {
namespace {

double Nanoseconds(HalfNanoseconds d) {
    return std::chrono::duration<double, std::nano>(d).count();
}

// The least-squares fit of time = c x f(n), and its error relative to the mean time.
ComplexityFit Fit(const std::vector<double>& n, const std::vector<double>& time, const std::function<double(double)>& f) {
    double ff = 0, tf = 0, total = 0;
    for (std::size_t i = 0; i < n.size(); ++i) {
        ff += f(n[i]) * f(n[i]);
        tf += time[i] * f(n[i]);
        total += time[i];
    }
    ComplexityFit fit;
    fit.realCoefficient = ff > 0 ? tf / ff : 0;
    double squares = 0;
    for (std::size_t i = 0; i < n.size(); ++i) {
        const double error = time[i] - fit.realCoefficient * f(n[i]);
        squares += error * error;
    }
    const double mean = total / static_cast<double>(n.size());
    fit.rms = mean > 0 ? std::sqrt(squares / static_cast<double>(n.size())) / mean : 0;
    return fit;
}

int LevelOf(std::size_t bytes, const std::vector<CacheInfo>& dataLevels) {
    for (const CacheInfo& level : dataLevels) {
        if (static_cast<long long>(bytes) <= level.sizeBytes) return level.level;
    }
    return 0;
}

std::string Mebibytes(long long bytes) {
    std::ostringstream out;
    out << (bytes + (1LL << 19)) / (1LL << 20) << " MiB";
    return out.str();
}

}  // namespace

std::optional<ComplexityFit> FitComplexity(const std::vector<double>& n, const std::vector<double>& realNanoseconds,
                                           const std::vector<double>& cpuNanoseconds) {
    if (n.size() < 2 || realNanoseconds.size() != n.size() || cpuNanoseconds.size() != n.size()) return std::nullopt;
    const struct {
        const char* name;
        std::function<double(double)> f;
    } curves[] = {
        {"(1)", [](double) { return 1.0; }},
        {"lgN", [](double x) { return std::log2(x); }},
        {"N", [](double x) { return x; }},
        {"NlgN", [](double x) { return x * std::log2(x); }},
        {"N^2", [](double x) { return x * x; }},
        {"N^3", [](double x) { return x * x * x; }},
    };
    std::optional<ComplexityFit> best;
    std::function<double(double)> bestCurve;
    for (const auto& curve : curves) {
        ComplexityFit fit = Fit(n, realNanoseconds, curve.f);
        if (best && fit.rms >= best->rms) continue;
        fit.bigO = curve.name;
        best = fit;
        bestCurve = curve.f;
    }
    best->cpuCoefficient = Fit(n, cpuNanoseconds, bestCurve).realCoefficient;
    return best;
}

std::vector<SweepButtonResult> GroupSweep(const bench::SweepRun& run, const std::vector<CacheInfo>& caches) {
    const std::vector<CacheInfo> dataLevels = bench::DataCacheLevels(caches);
    std::vector<SweepButtonResult> results;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const bench::SweepSubject& s = run.plan.subjects[i];
        if (s.IsLimit()) continue;
        if (results.empty() || results.back().button != s.button) results.push_back({s.button, {}, {}, {}, {}, nullptr});
        const bench::SweepClick* first = run.First(i);
        if (first == nullptr) continue;
        SweepRow row;
        row.subject = i;
        row.count = s.count;
        row.bytes = s.bytes;
        row.level = LevelOf(s.bytes, dataLevels);
        row.first = first;
        std::vector<std::chrono::nanoseconds> elapsed, cpu;
        double faults = 0;
        for (const bench::SweepClick& c : run.clicks) {
            if (c.subject != i) continue;
            ++row.clicks;
            faults += static_cast<double>(c.pageFaults);
            const bench::Measurement& m = c.measurement;
            if (!m.Succeeded()) {
                ++row.failures;
                continue;
            }
            row.preemptedClicks += WasPreempted(m);
            row.lastSink = m.sink ? std::wstring(m.sink->GetString()) : L"-";
            if (!c.followsOwnClick) continue;
            elapsed.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(m.elapsed));
            cpu.push_back(m.threadCpuTime);
        }
        row.meanPageFaults = faults / row.clicks;
        row.elapsed = Summarize(std::move(elapsed));
        row.cpuTime = Summarize(std::move(cpu));
        if (row.elapsed.samples > 0 && row.count > 0) {
            row.nsPerElement = Nanoseconds(row.elapsed.median) / row.count;
            row.rate.bytesPerSecond = bench::BytesPerSecond(row.bytes, row.elapsed.median);
        }
        if (const auto limit = run.LimitFor(s.bytes)) {
            if (const auto fastest = run.Fastest(*limit)) row.limitBytesPerSecond = bench::BytesPerSecond(s.bytes, *fastest);
        }
        if (row.rate.bytesPerSecond && row.limitBytesPerSecond) {
            row.rate.fractionOfLimit = bench::FractionOfLimit(*row.rate.bytesPerSecond, *row.limitBytesPerSecond);
        }
        results.back().rows.push_back(std::move(row));
    }
    for (SweepButtonResult& r : results) {
        const std::vector<bench::CurvePoint> curve = bench::CurveOf(run, *r.button);
        r.levels = bench::LevelCosts(curve, dataLevels);
        r.bends = bench::Bends(curve, r.levels);
        std::vector<double> n, real, cpu;
        for (const SweepRow& row : r.rows) {
            if (row.elapsed.samples == 0) continue;
            n.push_back(row.count);
            real.push_back(Nanoseconds(row.elapsed.median));
            cpu.push_back(Nanoseconds(row.cpuTime.median));
        }
        r.complexity = FitComplexity(n, real, cpu);
        for (const bench::SweepStop& stop : run.stops) {
            if (stop.button == r.button) r.stop = &stop;
        }
    }
    return results;
}

std::string StopText(const bench::SweepStop& stop, std::chrono::nanoseconds budget) {
    const std::string at = std::to_string(stop.count) + " elements";
    const auto milliseconds = [](std::chrono::nanoseconds d) {
        std::ostringstream out;
        out.precision(3);
        out << std::chrono::duration<double, std::milli>(d).count() << " ms";
        return out.str();
    };
    switch (stop.reason) {
    case bench::SweepStop::Reason::Budget:
        return "stopped before " + at + ": one click would take about " + milliseconds(stop.predicted) +
               ", more than the budget of " + milliseconds(budget) + " (--budget)";
    case bench::SweepStop::Reason::Memory:
        return "stopped before " + at + ": a click there needs about " + Mebibytes(stop.neededBytes) +
               ", and this process can have " + Mebibytes(stop.availableBytes);
    case bench::SweepStop::Reason::Failed:
        return "stopped at " + at + ": its click failed: " + stop.error;
    }
    return {};
}

}  // namespace batch
