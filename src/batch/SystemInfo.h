// What a report says about the machine and the build it ran on: read from
// the machine and the build, or left out when it cannot be read.
#pragma once

#include "bench/Caches.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace batch {

using bench::CacheInfo;

struct SystemInfo {
    std::string date;        ///< local time, ISO 8601 with offset
    std::string hostName;
    std::string executable;
    int cpuCount = 0;        ///< CPUs online
    std::optional<double> mhzPerCpu;  ///< as /proc/cpuinfo reports it
    std::string cpuModel;
    /// Whether the CPU's frequency may change under the run: a cpufreq
    /// governor other than "performance"; none without cpufreq.
    std::optional<bool> cpuScalingEnabled;
    std::vector<CacheInfo> caches;    ///< of the first CPU
    std::string cacheSource;          ///< where caches were read: "sysfs" or "cpuid"; empty: nowhere
    std::optional<std::array<double, 3>> loadAverage;
    std::string libraryBuildType;     ///< "release" or "debug": whether assertions are off
    std::string buildType;            ///< the build's configuration ("Release")
    std::string compiler;             ///< compiler and version
    std::string compilerFlags;        ///< the flags the kernels were compiled with
};

SystemInfo ReadSystemInfo(const char* argv0);

/// "CPU MODEL (host)": the machine as a chart's subtitle names it.
std::wstring MachineLabel(const SystemInfo& system);

/// Whether frequency scaling is active on any of the CPUs under cpuFolder
/// (cpu0/cpufreq/scaling_governor, ...); none when no CPU has cpufreq.
std::optional<bool> ReadCpuScaling(const std::filesystem::path& cpuFolder, int cpuCount);

}  // namespace batch
