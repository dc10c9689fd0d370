// What a sweep's curve says: the cost per element on each cache level (the
// plateau between two marks), where the curve bends from one level's cost to
// the next, and the store limit at each size. Arithmetic on medians only.
#pragma once

#include "Caches.h"
#include "Sweep.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace bench {

/// One size of one button's curve.
struct CurvePoint {
    std::size_t bytes = 0;
    int count = 0;
    /// The median click over count; the size is left out of a curve without one.
    double nsPerElement = 0;
};

/// A button's sizes that have a median, ascending.
std::vector<CurvePoint> CurveOf(const SweepRun& run, const ButtonSpec& button);

/// The store limit's time per element of elementBytes at each size measured
/// (its fastest counted memset), ascending: the ceiling a fill of such
/// elements cannot pass.
std::vector<CurvePoint> LimitCurve(const SweepRun& run, std::size_t elementBytes);

/// The cost per element where the array lies in one level of the memory.
struct LevelCost {
    /// 1, 2, 3 for the caches; 0 for main memory, beyond the last.
    int level = 0;
    /// The cache's size; 0 for main memory.
    long long cacheBytes = 0;
    /// The median of ns/element over the sizes well inside the level (from
    /// twice the level below to half of this one; where none lies there, over
    /// all of the level's sizes); none without a size in the level.
    std::optional<double> nsPerElement;
    int sizes = 0;  ///< how many sizes the median is of
};

/// For each data cache level, then main memory: the indices of the sizes
/// (array bytes) a level's figures are taken over: those well inside it,
/// from twice the level below to half its own size, or, where none lies
/// there, all of the level's.
std::vector<std::vector<std::size_t>> LevelMembers(const std::vector<std::size_t>& bytes, const std::vector<CacheInfo>& dataLevels);

/// One LevelCost per data cache level, then main memory.
std::vector<LevelCost> LevelCosts(const std::vector<CurvePoint>& curve, const std::vector<CacheInfo>& dataLevels);

/// Where the larger arrays' level costs more than this times the smaller
/// ones', the curve bends; below it, the curve is flat there.
inline constexpr double kBendRatio = 1.15;

/// Where the curve passes from one level's cost to the next.
struct CurveBend {
    int fromLevel = 0;  ///< LevelCost::level of the smaller arrays
    int toLevel = 0;    ///< of the larger ones (0: main memory)
    /// The array size at which ns/element first passes half-way (the geometric
    /// mean) between the two costs, beyond half the smaller level's size,
    /// interpolated on the log scale between the two sizes around it.
    double bytes = 0;
    double ratio = 0;   ///< the larger arrays' cost over the smaller ones'
};

/// The bends between neighbouring levels with a cost each, by kBendRatio;
/// only rises: a larger level never makes a store cheaper, and a drop is the
/// clicks' own spread.
std::vector<CurveBend> Bends(const std::vector<CurvePoint>& curve, const std::vector<LevelCost>& levels);

}  // namespace bench
