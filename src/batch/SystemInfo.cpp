#include "SystemInfo.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <thread>

namespace batch {

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
    info.cpuCount = static_cast<int>(std::thread::hardware_concurrency());
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
        const std::string value = line.substr(std::min(line.size(), colon + 2));
        if (key == "model name" && info.cpuModel.empty()) info.cpuModel = value;
        if (key == "cpu MHz" && info.mhzPerCpu == 0) info.mhzPerCpu = std::atof(value.c_str());
    }
#ifdef NDEBUG
    info.buildType = "release";
#else
    info.buildType = "debug";
#endif
    getloadavg(info.loadAverage, 3);
    return info;
}

}  // namespace batch
