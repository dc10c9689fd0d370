#include "Caches.h"

#include <cpuid.h>

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

namespace bench {
namespace {

namespace fs = std::filesystem;

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

std::uint32_t Bits(std::uint32_t value, int high, int low) {
    return (value >> low) & ((1u << (high - low + 1)) - 1);
}

// Leaf 4 (Intel) and 0x8000001D (AMD) share one layout: one subleaf per
// cache until a subleaf of type 0.
std::vector<CacheInfo> DeterministicCaches(const Cpuid& cpuid, std::uint32_t leaf, int cpuCount) {
    std::vector<CacheInfo> caches;
    for (std::uint32_t subleaf = 0; subleaf < 16; ++subleaf) {
        const auto [eax, ebx, ecx, edx] = cpuid(leaf, subleaf);
        static constexpr const char* kTypes[] = {nullptr, "Data", "Instruction", "Unified"};
        const std::uint32_t type = Bits(eax, 4, 0);
        if (type == 0) break;
        if (type > 3) continue;
        const long long ways = Bits(ebx, 31, 22) + 1LL, partitions = Bits(ebx, 21, 12) + 1LL;
        const long long lineBytes = Bits(ebx, 11, 0) + 1LL, sets = ecx + 1LL;
        const int sharing = static_cast<int>(Bits(eax, 25, 14)) + 1;
        caches.push_back({kTypes[type], static_cast<int>(Bits(eax, 7, 5)), ways * partitions * lineBytes * sets,
                          std::clamp(sharing, 1, std::max(1, cpuCount))});
    }
    return caches;
}

// AMD's older leaves: L1 data and instruction per core (0x80000005), L2 per
// core and L3 shared by the package's cores (0x80000006).
std::vector<CacheInfo> LegacyAmdCaches(const Cpuid& cpuid, int cpuCount) {
    std::vector<CacheInfo> caches;
    const CpuidRegisters l1 = cpuid(0x80000005, 0), l2l3 = cpuid(0x80000006, 0);
    auto add = [&](const char* type, int level, long long bytes, int sharing) {
        if (bytes > 0) caches.push_back({type, level, bytes, sharing});
    };
    add("Data", 1, Bits(l1[2], 31, 24) * 1024LL, 1);
    add("Instruction", 1, Bits(l1[3], 31, 24) * 1024LL, 1);
    add("Unified", 2, Bits(l2l3[2], 31, 16) * 1024LL, 1);
    add("Unified", 3, Bits(l2l3[3], 31, 18) * 512LL * 1024, std::max(1, cpuCount));
    return caches;
}

}  // namespace

std::optional<std::string> ReadSysfsWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    if (!(in >> word)) return std::nullopt;
    return word;
}

std::vector<CacheInfo> ReadSysfsCaches(const fs::path& cacheFolder) {
    std::vector<CacheInfo> caches;
    for (int index = 0;; ++index) {
        const fs::path dir = cacheFolder / ("index" + std::to_string(index));
        const auto size = ReadSysfsWord(dir / "size");
        if (!size) break;
        const auto type = ReadSysfsWord(dir / "type");
        const auto level = ReadSysfsWord(dir / "level");
        const auto map = ReadSysfsWord(dir / "shared_cpu_map");
        const auto bytes = ParseSize(*size);
        const auto sharing = map ? CountCpusInMap(*map) : std::nullopt;
        if (!type || !level || !bytes || !sharing) continue;
        caches.push_back({*type, std::atoi(level->c_str()), *bytes, *sharing});
    }
    return caches;
}

std::vector<CacheInfo> ReadCpuidCaches(const Cpuid& cpuid, int cpuCount) {
    const CpuidRegisters vendorLeaf = cpuid(0, 0);
    char vendor[13] = {};
    std::memcpy(vendor, &vendorLeaf[1], 4);
    std::memcpy(vendor + 4, &vendorLeaf[3], 4);
    std::memcpy(vendor + 8, &vendorLeaf[2], 4);
    const std::uint32_t maxLeaf = vendorLeaf[0];
    const std::uint32_t maxExtended = cpuid(0x80000000, 0)[0];
    const std::string_view name(vendor);
    if (name == "GenuineIntel" && maxLeaf >= 4) return DeterministicCaches(cpuid, 4, cpuCount);
    if (name != "AuthenticAMD" && name != "HygonGenuine") return {};
    // Topology extensions (0x80000001 ECX bit 22) bring leaf 0x8000001D.
    const bool topology = maxExtended >= 0x8000001D && (cpuid(0x80000001, 0)[2] >> 22 & 1) != 0;
    if (topology) return DeterministicCaches(cpuid, 0x8000001D, cpuCount);
    if (maxExtended >= 0x80000006) return LegacyAmdCaches(cpuid, cpuCount);
    return {};
}

CpuidRegisters MachineCpuid(std::uint32_t leaf, std::uint32_t subleaf) {
    CpuidRegisters r{};
    __cpuid_count(leaf, subleaf, r[0], r[1], r[2], r[3]);
    return r;
}

CacheReading ReadCaches(const fs::path& cacheFolder, const Cpuid& cpuid, int cpuCount) {
    if (std::vector<CacheInfo> caches = ReadSysfsCaches(cacheFolder); !caches.empty()) return {std::move(caches), "sysfs"};
    if (std::vector<CacheInfo> caches = ReadCpuidCaches(cpuid, cpuCount); !caches.empty()) return {std::move(caches), "cpuid"};
    return {};
}

const CacheReading& MachineCaches() {
    static const CacheReading reading =
        ReadCaches("/sys/devices/system/cpu/cpu0/cache", &MachineCpuid, static_cast<int>(std::thread::hardware_concurrency()));
    return reading;
}

std::vector<CacheInfo> DataCacheLevels(const std::vector<CacheInfo>& caches) {
    std::vector<CacheInfo> levels;
    for (const CacheInfo& c : caches) {
        if (c.type == "Instruction" || c.sizeBytes <= 0) continue;
        const auto same = std::find_if(levels.begin(), levels.end(), [&](const CacheInfo& l) { return l.level == c.level; });
        if (same == levels.end()) levels.push_back(c);
    }
    std::sort(levels.begin(), levels.end(), [](const CacheInfo& a, const CacheInfo& b) { return a.level < b.level; });
    return levels;
}

}  // namespace bench
