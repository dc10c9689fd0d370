#include "StoreLimit.h"

#include "Protocol.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace bench {
namespace {

/// Seconds one memset of bytes at p takes, by the steady clock.
double TimedMemsetSeconds(unsigned char* p, std::size_t bytes, int value) {
    Escape(p);
    const auto t0 = std::chrono::steady_clock::now();
    std::memset(p, value, bytes);
    Clobber();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(t1 - t0).count();
}

}  // namespace

std::size_t BytesStored(const ButtonSpec& button, int elementCount) {
    return elementCount > 0 ? button.bytesPerElement * static_cast<std::size_t>(elementCount) : 0;
}

StoreSize LimitSizeFor(const ButtonSpec& button, int elementCount) {
    return {BytesStored(button, elementCount)};
}

std::optional<double> BytesPerSecond(std::size_t bytes, std::chrono::duration<double> elapsed) {
    if (bytes < kMinRateBytes || !(elapsed.count() > 0)) return std::nullopt;
    return static_cast<double>(bytes) / elapsed.count();
}

std::optional<double> FractionOfLimit(double bytesPerSecond, double limitBytesPerSecond) {
    if (!(limitBytesPerSecond > 0)) return std::nullopt;
    return bytesPerSecond / limitBytesPerSecond;
}

double MeasureStoreBandwidth(StoreSize size) {
    if (size.bytes < kMinRateBytes) return 0;
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[size.bytes]);
    // Every page mapped before timing: the limit is of stores, not of page faults.
    std::memset(buffer.get(), 0, size.bytes);

    // Untimed stores first, until the core runs at the clock it keeps during
    // a batch of clicks: a cold core would make the limit look low.
    const auto warmUntil = std::chrono::steady_clock::now() + kStoreLimitWarmUp;
    while (std::chrono::steady_clock::now() < warmUntil) TimedMemsetSeconds(buffer.get(), size.bytes, 0);

    std::vector<double> bytesPerSecond;
    for (int run = 0; run < kStoreLimitRuns; ++run) {
        const double seconds = TimedMemsetSeconds(buffer.get(), size.bytes, run + 1);
        if (seconds > 0) bytesPerSecond.push_back(static_cast<double>(size.bytes) / seconds);
    }
    if (bytesPerSecond.empty()) return 0;
    const auto middle = bytesPerSecond.begin() + static_cast<std::ptrdiff_t>(bytesPerSecond.size() / 2);
    std::nth_element(bytesPerSecond.begin(), middle, bytesPerSecond.end());
    return *middle;
}

double StoreLimit(StoreSize size) {
    static std::map<StoreSize, double> measured;
    const auto found = measured.find(size);
    if (found != measured.end()) return found->second;
    const double limit = MeasureStoreBandwidth(size);
    measured.emplace(size, limit);
    return limit;
}

}  // namespace bench
