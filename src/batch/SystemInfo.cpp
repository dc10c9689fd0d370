#include "SystemInfo.h"

#include "batch/BuildInfo.h"

#include <unistd.h>

#include <bitset>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace batch {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    if (!(in >> word)) return std::nullopt;
    return word;
}

// "32K", "1024K", "32M" or plain bytes.
std::optional<long long> ParseSize(const std::string& text) {
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || value < 0) return std::nullopt;
    const std::string suffix(end);
    if (suffix.empty()) return value;
    if (suffix == "K") return value * 1024;
    if (suffix == "M") return value * 1024 * 1024;
    if (suffix == "G") return value * 1024 * 1024 * 1024;
    return std::nullopt;
}

// A hexadecimal CPU mask in comma-separated words of 32 bits ("00000003", "ff,00000001").
std::optional<int> CountCpusInMap(const std::string& map) {
    int count = 0;
    for (char c : map) {
        if (c == ',') continue;
        const char digit[] = {c, '\0'};
        char* end = nullptr;
        const unsigned long nibble = std::strtoul(digit, &end, 16);
        if (*end != '\0') return std::nullopt;
        count += static_cast<int>(std::bitset<4>(nibble).count());
    }
    return count;
}

}  // namespace

std::vector<CacheInfo> ReadCaches(const fs::path& cacheFolder) {
    std::vector<CacheInfo> caches;
    for (int index = 0;; ++index) {
        const fs::path dir = cacheFolder / ("index" + std::to_string(index));
        const auto size = ReadWord(dir / "size");
        if (!size) break;
        const auto type = ReadWord(dir / "type");
        const auto level = ReadWord(dir / "level");
        const auto map = ReadWord(dir / "shared_cpu_map");
        const auto bytes = ParseSize(*size);
        const auto sharing = map ? CountCpusInMap(*map) : std::nullopt;
        // A cache that is not fully described is left out rather than guessed.
        if (!type || !level || !bytes || !sharing) continue;
        caches.push_back({*type, std::atoi(level->c_str()), *bytes, *sharing});
    }
    return caches;
}

std::optional<bool> ReadCpuScaling(const fs::path& cpuFolder, int cpuCount) {
    std::optional<bool> scaling;
    for (int cpu = 0; cpu < cpuCount; ++cpu) {
        const auto governor = ReadWord(cpuFolder / ("cpu" + std::to_string(cpu)) / "cpufreq" / "scaling_governor");
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
    info.caches = ReadCaches("/sys/devices/system/cpu/cpu0/cache");
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
