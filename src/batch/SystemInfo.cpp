#include "SystemInfo.h"

#include "batch/BuildInfo.h"
#include "framework/AfxString.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace batch {
namespace fs = std::filesystem;

std::wstring MachineLabel(const SystemInfo& system) {
    const auto wide = [](const std::string& utf8) { return std::wstring(CString(utf8.c_str()).GetString()); };
    return wide(system.cpuModel) + L" (" + wide(system.hostName) + L")";
}

std::optional<bool> ReadCpuScaling(const fs::path& cpuFolder, int cpuCount) {
    std::optional<bool> scaling;
    for (int cpu = 0; cpu < cpuCount; ++cpu) {
        const auto governor = bench::ReadSysfsWord(cpuFolder / ("cpu" + std::to_string(cpu)) / "cpufreq" / "scaling_governor");
        if (!governor) continue;
        scaling = scaling.value_or(false) || *governor != "performance";
    }
    return scaling;
}

SystemInfo ReadSystemInfo(const char* argv0) {
    SystemInfo info;
    char buffer[256] = {};
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S%z", &local);
    info.date = buffer;
    if (gethostname(buffer, sizeof buffer - 1) == 0) info.hostName = buffer;
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    info.executable = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string(argv0 ? argv0 : "");
    info.cpuCount = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
        const std::string value = line.substr(std::min(line.size(), colon + 2));
        if (key == "model name" && info.cpuModel.empty()) info.cpuModel = value;
        if (key == "cpu MHz" && !info.mhzPerCpu) {
            char* end = nullptr;
            const double mhz = std::strtod(value.c_str(), &end);
            if (end != value.c_str() && mhz > 0) info.mhzPerCpu = mhz;
        }
    }
    info.cpuScalingEnabled = ReadCpuScaling("/sys/devices/system/cpu", info.cpuCount);
    const bench::CacheReading& caches = bench::MachineCaches();
    info.caches = caches.caches;
    info.cacheSource = caches.source;
    std::array<double, 3> load{};
    if (getloadavg(load.data(), 3) == 3) info.loadAverage = load;
#ifdef NDEBUG
    info.libraryBuildType = "release";
#else
    info.libraryBuildType = "debug";
#endif
    info.buildType = VELQUOR_BUILD_TYPE;
    info.compiler = VELQUOR_COMPILER;
    info.compilerFlags = VELQUOR_KERNEL_FLAGS;
    return info;
}

}  // namespace batch
