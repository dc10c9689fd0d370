#include "SweepResults.h"

#include "bench/StoreLimit.h"

#include <cmath>
#include <functional>
#include <map>
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

// The median of the subject's counted clicks in each round after the first
// pass; a preempted click did not run at its round's speed and pairs with nothing.
std::map<int, HalfNanoseconds> RoundMedians(const bench::SweepRun& run, std::size_t subject) {
    std::map<int, std::vector<std::chrono::nanoseconds>> byRound;
    for (const bench::SweepClick& c : run.clicks) {
        if (c.subject != subject || !c.followsOwnClick || !c.measurement.Succeeded() || WasPreempted(c.measurement)) continue;
        byRound[c.round].push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(c.measurement.elapsed));
    }
    std::map<int, HalfNanoseconds> medians;
    for (auto& [round, times] : byRound) medians[round] = bench::Median(std::move(times));
    return medians;
}

// The baseline's subject that a size pairs with: the same bytes, else the same count.
std::optional<std::size_t> BaselineSubject(const bench::SweepRun& run, const bench::ButtonSpec& baseline, const bench::SweepSubject& s) {
    std::optional<std::size_t> sameCount;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const bench::SweepSubject& b = run.plan.subjects[i];
        if (b.button != &baseline) continue;
        if (b.bytes == s.bytes) return i;
        if (b.count == s.count) sameCount = i;
    }
    return sameCount;
}

RatioToBaseline RatioOf(const std::vector<bench::RoundPair>& pairs, bool isBaseline) {
    RatioToBaseline to;
    to.isBaseline = isBaseline;
    const auto compared = bench::CompareRounds(pairs);
    if (const auto* ratio = std::get_if<bench::PairedRatio>(&compared)) to.ratio = *ratio;
    else if (std::get<bench::NoRatio>(compared) == bench::NoRatio::BelowClockResolution) to.whyNone = "below the clock's resolution";
    else to.whyNone = "no round with a counted click of both";
    return to;
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

std::vector<SweepButtonResult> GroupSweep(const bench::SweepRun& run, const std::vector<CacheInfo>& caches,
                                          const bench::ButtonSpec* baseline) {
    const std::vector<CacheInfo> dataLevels = bench::DataCacheLevels(caches);
    std::vector<SweepButtonResult> results;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const bench::SweepSubject& s = run.plan.subjects[i];
        if (s.IsLimit()) continue;
        if (results.empty() || results.back().button != s.button) {
            results.emplace_back();
            results.back().button = s.button;
        }
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
        if (baseline != nullptr) {
            const auto paired = BaselineSubject(run, *baseline, s);
            row.toBaseline = paired ? RatioOf(PairRounds(RoundMedians(run, i), RoundMedians(run, *paired)), s.button == baseline)
                                    : RatioToBaseline{s.button == baseline, std::nullopt, "the baseline has no such size"};
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
        if (baseline != nullptr) {
            // Every pair of every size a level's cost is taken over, pooled.
            std::vector<std::size_t> bytes;
            for (const SweepRow& row : r.rows) bytes.push_back(row.bytes);
            for (const std::vector<std::size_t>& members : bench::LevelMembers(bytes, dataLevels)) {
                std::vector<bench::RoundPair> pairs;
                for (std::size_t k : members) {
                    const auto paired = BaselineSubject(run, *baseline, run.plan.subjects[r.rows[k].subject]);
                    if (!paired) continue;
                    const std::vector<bench::RoundPair> more = PairRounds(RoundMedians(run, r.rows[k].subject), RoundMedians(run, *paired));
                    pairs.insert(pairs.end(), more.begin(), more.end());
                }
                r.levelRatios.push_back(RatioOf(pairs, false).ratio);
            }
        }
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
