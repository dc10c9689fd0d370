#include "SweepAnalysis.h"

#include "Median.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bench {
namespace {

template <class Duration>
double Nanoseconds(Duration d) {
    return std::chrono::duration<double, std::nano>(d).count();
}

}  // namespace

std::vector<CurvePoint> CurveOf(const SweepRun& run, const ButtonSpec& button) {
    std::vector<CurvePoint> curve;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const SweepSubject& s = run.plan.subjects[i];
        if (s.button != &button || s.count <= 0) continue;
        if (const auto median = run.Median(i)) curve.push_back({s.bytes, s.count, Nanoseconds(*median) / s.count});
    }
    std::sort(curve.begin(), curve.end(), [](const CurvePoint& a, const CurvePoint& b) { return a.bytes < b.bytes; });
    return curve;
}

std::vector<CurvePoint> LimitCurve(const SweepRun& run, std::size_t elementBytes) {
    std::vector<CurvePoint> curve;
    if (elementBytes == 0) return curve;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const SweepSubject& s = run.plan.subjects[i];
        const auto count = static_cast<int>(s.bytes / elementBytes);
        if (!s.IsLimit() || count <= 0) continue;
        if (const auto fastest = run.Fastest(i)) curve.push_back({s.bytes, count, Nanoseconds(*fastest) / count});
    }
    std::sort(curve.begin(), curve.end(), [](const CurvePoint& a, const CurvePoint& b) { return a.bytes < b.bytes; });
    return curve;
}

std::vector<std::vector<std::size_t>> LevelMembers(const std::vector<std::size_t>& bytes, const std::vector<CacheInfo>& dataLevels) {
    std::vector<std::vector<std::size_t>> members;
    for (std::size_t i = 0; i <= dataLevels.size(); ++i) {
        const bool memory = i == dataLevels.size();
        const double lower = i == 0 ? 0 : static_cast<double>(dataLevels[i - 1].sizeBytes);
        const double upper = memory ? std::numeric_limits<double>::infinity() : static_cast<double>(dataLevels[i].sizeBytes);
        std::vector<std::size_t> inside, level;
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            const auto b = static_cast<double>(bytes[k]);
            if (b <= lower || b > upper) continue;
            level.push_back(k);
            if (b >= 2 * lower && b <= upper / 2) inside.push_back(k);
        }
        members.push_back(inside.empty() ? level : inside);
    }
    return members;
}

std::vector<LevelCost> LevelCosts(const std::vector<CurvePoint>& curve, const std::vector<CacheInfo>& dataLevels) {
    std::vector<std::size_t> bytes;
    for (const CurvePoint& p : curve) bytes.push_back(p.bytes);
    const std::vector<std::vector<std::size_t>> members = LevelMembers(bytes, dataLevels);
    std::vector<LevelCost> costs;
    for (std::size_t i = 0; i < members.size(); ++i) {
        LevelCost cost;
        cost.level = i < dataLevels.size() ? dataLevels[i].level : 0;
        cost.cacheBytes = i < dataLevels.size() ? dataLevels[i].sizeBytes : 0;
        std::vector<double> values;
        for (std::size_t k : members[i]) values.push_back(curve[k].nsPerElement);
        cost.sizes = static_cast<int>(values.size());
        if (!values.empty()) cost.nsPerElement = Median(values);
        costs.push_back(cost);
    }
    return costs;
}

std::vector<CurveBend> Bends(const std::vector<CurvePoint>& curve, const std::vector<LevelCost>& levels) {
    std::vector<CurveBend> bends;
    for (std::size_t i = 0; i + 1 < levels.size(); ++i) {
        const LevelCost& small = levels[i];
        const LevelCost& large = levels[i + 1];
        if (!small.nsPerElement || !large.nsPerElement || *small.nsPerElement <= 0) continue;
        const double ratio = *large.nsPerElement / *small.nsPerElement;
        // A larger level never makes a store cheaper: a drop is the clicks' spread.
        if (ratio <= kBendRatio) continue;
        const double target = std::sqrt(*small.nsPerElement * *large.nsPerElement);
        // From where the smaller level's own sizes end (half its size: the
        // rest of the curve inside it is its plateau, and a spike there is
        // noise, not the bend) to the larger level's end.
        const double from = static_cast<double>(small.cacheBytes) / 2;
        const double to = large.cacheBytes > 0 ? static_cast<double>(large.cacheBytes) : std::numeric_limits<double>::infinity();
        for (std::size_t k = 1; k < curve.size(); ++k) {
            const CurvePoint& p = curve[k - 1];
            const CurvePoint& q = curve[k];
            if (static_cast<double>(p.bytes) <= from || static_cast<double>(q.bytes) > to) continue;
            if (!(p.nsPerElement < target && q.nsPerElement >= target)) continue;
            const double t = std::log(target / p.nsPerElement) / std::log(q.nsPerElement / p.nsPerElement);
            const double bytes = std::exp(std::log(static_cast<double>(p.bytes)) +
                                          t * std::log(static_cast<double>(q.bytes) / static_cast<double>(p.bytes)));
            bends.push_back({small.level, large.level, bytes, ratio});
            break;
        }
    }
    return bends;
}

}  // namespace bench
