// How fast this machine can store, and how close a kernel came to it: the
// memset bandwidth of the sizes the kernels write, and per run the bytes
// written per second and their fraction of that limit.
//
// A kernel's bytes are its array's elements: element size x count
// (ButtonSpec::bytesPerElement). A fraction near 1 means the fill ran at the
// speed of plain stores; far below 1, the loop does other work per element.
#pragma once

#include "Buttons.h"

#include <chrono>
#include <compare>
#include <cstddef>
#include <optional>

namespace bench {

/// The size a limit is measured for. Its memsets write the same block one
/// after the other, as the clicks the statistics count write where their
/// own previous click wrote: a heap array comes back in the same place, and
/// a global array's first elements are the ones its previous click wrote and
/// set back to 0. So the limit's lines are as cached as the click's.
struct StoreSize {
    std::size_t bytes = 0;

    auto operator<=>(const StoreSize&) const = default;
};

/// The fewest bytes for which a rate is stated. Below it the clock's own cost
/// (some 30 ns a reading) is not small against the stores (64 KiB take about
/// 1.3 us at 50 GB/s), and a rate would measure the clock.
inline constexpr std::size_t kMinRateBytes = 64 * 1024;

/// memset runs whose median makes one limit.
inline constexpr int kStoreLimitRuns = 21;
/// Untimed memsets before them, for each size.
inline constexpr std::chrono::milliseconds kStoreLimitWarmUp{20};

/// Bytes the button's kernel stores when it fills elementCount elements.
std::size_t BytesStored(const ButtonSpec& button, int elementCount);

/// The size whose limit a run of the button is compared with: its bytes.
StoreSize LimitSizeFor(const ButtonSpec& button, int elementCount);

/// bytes / elapsed, in bytes per second; none when elapsed is not positive
/// (a run too short for the clock) or fewer than kMinRateBytes were stored.
std::optional<double> BytesPerSecond(std::size_t bytes, std::chrono::duration<double> elapsed);

/// bytesPerSecond / limitBytesPerSecond; none without a positive limit.
std::optional<double> FractionOfLimit(double bytesPerSecond, double limitBytesPerSecond);

/// The median, over kStoreLimitRuns memsets of size.bytes into one block
/// (after kStoreLimitWarmUp of untimed ones), of bytes per second.
/// Measured now; 0 for a size below kMinRateBytes, which gets no limit.
double MeasureStoreBandwidth(StoreSize size);

/// This machine's store limit for the size, in bytes per second: measured
/// on the first request for that size, then remembered for the process.
double StoreLimit(StoreSize size);

}  // namespace bench
