// The CPU's caches: what the kernel publishes under sysfs, and where it does
// not (some virtual machines), what the CPU itself tells through CPUID. The
// sweep marks its curve at these sizes, and the reports name them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bench {

/// One CPU cache, as Google Benchmark reports it.
struct CacheInfo {
    std::string type;       ///< "Data", "Instruction" or "Unified"
    int level = 0;
    long long sizeBytes = 0;
    int numSharing = 0;     ///< logical CPUs that share it

    bool operator==(const CacheInfo&) const = default;
};

/// The caches of the first CPU and where they were read.
struct CacheReading {
    std::vector<CacheInfo> caches;
    /// "sysfs", "cpuid", or empty when neither told anything.
    std::string source;
};

/// EAX, EBX, ECX, EDX of CPUID for a leaf and subleaf.
using CpuidRegisters = std::array<std::uint32_t, 4>;
using Cpuid = std::function<CpuidRegisters(std::uint32_t leaf, std::uint32_t subleaf)>;

/// The first word of a sysfs file; none when it cannot be read.
std::optional<std::string> ReadSysfsWord(const std::filesystem::path& file);

/// The caches described under a CPU's cache folder (index0, index1, ...);
/// a cache that is not fully described is left out rather than guessed.
std::vector<CacheInfo> ReadSysfsCaches(const std::filesystem::path& cacheFolder);

/// The caches as CPUID describes them: leaf 4 on Intel, 0x8000001D on AMD
/// and Hygon with topology extensions, else AMD's older 0x80000005 and
/// 0x80000006. Sharing is capped at cpuCount.
std::vector<CacheInfo> ReadCpuidCaches(const Cpuid& cpuid, int cpuCount);

/// This CPU's CPUID instruction.
CpuidRegisters MachineCpuid(std::uint32_t leaf, std::uint32_t subleaf);

/// sysfs when it describes any cache, else CPUID.
CacheReading ReadCaches(const std::filesystem::path& cacheFolder, const Cpuid& cpuid, int cpuCount);

/// This machine's caches (cpu0's sysfs folder, this CPU's CPUID), read once.
const CacheReading& MachineCaches();

/// The data caches a fill's stores go through, smallest level first: the
/// data or unified cache of each level, one per level.
std::vector<CacheInfo> DataCacheLevels(const std::vector<CacheInfo>& caches);

}  // namespace bench
