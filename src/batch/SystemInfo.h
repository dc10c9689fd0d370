// What a report says about the machine and the build it ran on.
#pragma once

#include <string>

namespace batch {

struct SystemInfo {
    std::string date;        ///< local time, ISO 8601 with offset
    std::string hostName;
    std::string executable;
    int cpuCount = 0;
    double mhzPerCpu = 0;    ///< as /proc/cpuinfo reports it; 0 when unknown
    std::string cpuModel;
    std::string buildType;   ///< "release" or "debug"
    double loadAverage[3] = {0, 0, 0};
};

SystemInfo ReadSystemInfo(const char* argv0);

}  // namespace batch
