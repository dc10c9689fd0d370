// The caches as sysfs describes them, and as CPUID does where sysfs is silent:
// registers of known CPUs played through the seam.
#include "TestUtil.h"
#include "bench/Caches.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using bench::CacheInfo;
using bench::CpuidRegisters;

void WriteCache(const fs::path& root, int index, const char* size, const char* type, const char* level, const char* map) {
    const fs::path dir = root / ("index" + std::to_string(index));
    fs::create_directories(dir);
    const std::pair<const char*, const char*> files[] = {{"size", size}, {"type", type}, {"level", level}, {"shared_cpu_map", map}};
    for (const auto& [name, text] : files) std::ofstream(dir / name) << text << "\n";
}

// Vendor "GenuineIntel" or "AuthenticAMD" in EBX, EDX, ECX of leaf 0.
CpuidRegisters Vendor(std::uint32_t maxLeaf, const char (&name)[13]) {
    CpuidRegisters r{maxLeaf, 0, 0, 0};
    std::memcpy(&r[1], name, 4);
    std::memcpy(&r[3], name + 4, 4);
    std::memcpy(&r[2], name + 8, 4);
    return r;
}

// One subleaf of leaf 4 / 0x8000001D: type (1 data, 2 instruction, 3 unified), level, sharing, geometry.
CpuidRegisters Descriptor(std::uint32_t type, std::uint32_t level, std::uint32_t sharing, std::uint32_t ways,
                          std::uint32_t lineBytes, std::uint32_t sets) {
    return {type | level << 5 | (sharing - 1) << 14, (ways - 1) << 22 | (lineBytes - 1), sets - 1, 0};
}

using Registers = std::map<std::pair<std::uint32_t, std::uint32_t>, CpuidRegisters>;

bench::Cpuid Play(Registers registers) {
    return [registers](std::uint32_t leaf, std::uint32_t subleaf) {
        const auto found = registers.find({leaf, subleaf});
        return found == registers.end() ? CpuidRegisters{} : found->second;
    };
}

TEST(CachesTest, SysfsAsGoogleBenchmarkReadsIt) {
    ScratchFolder scratch("velquor-sysfs");
    const fs::path& root = scratch.path();
    WriteCache(root, 0, "32M", "Unified", "3", "ff,0000000f");
    WriteCache(root, 1, "512", "Instruction", "1", "3");
    WriteCache(root, 2, "12Q", "Unified", "2", "1");  // not understood: left out, the next one still read
    WriteCache(root, 3, "32K", "Data", "1", "00000001");
    const std::vector<CacheInfo> expected = {
        {"Unified", 3, 32LL * 1024 * 1024, 12}, {"Instruction", 1, 512, 2}, {"Data", 1, 32 * 1024, 1}};
    EXPECT_EQ(bench::ReadSysfsCaches(root), expected);
    // sysfs wins where it has anything; the CPU is not asked.
    const bench::CacheReading reading = bench::ReadCaches(root, [](std::uint32_t, std::uint32_t) -> CpuidRegisters {
        ADD_FAILURE() << "CPUID asked although sysfs described the caches";
        return {};
    }, 2);
    EXPECT_EQ(reading.source, "sysfs");
    EXPECT_EQ(reading.caches, expected);
    // The levels a sweep marks: one data cache per level, smallest first.
    EXPECT_EQ(bench::DataCacheLevels(expected), (std::vector<CacheInfo>{expected[2], expected[0]}));
}

TEST(CachesTest, CpuidWhereSysfsIsSilent) {
    const Registers intel = {
        {{0, 0}, Vendor(0x16, "GenuineIntel")},
        {{4, 0}, Descriptor(1, 1, 2, 12, 64, 64)},     // 48 KiB L1d, 2 threads
        {{4, 1}, Descriptor(2, 1, 2, 8, 64, 64)},      // 32 KiB L1i
        {{4, 2}, Descriptor(3, 2, 2, 10, 64, 2048)},   // 1.25 MiB L2
        {{4, 3}, Descriptor(3, 3, 64, 12, 64, 49152)}, // 36 MiB L3, capped at the CPUs online
    };
    Registers amd = {
        {{0, 0}, Vendor(0x10, "AuthenticAMD")},
        {{0x80000000, 0}, {0x80000021, 0, 0, 0}},
        {{0x80000001, 0}, {0, 0, 1u << 22, 0}},
        {{0x8000001D, 0}, Descriptor(1, 1, 1, 12, 64, 64)},
        {{0x8000001D, 1}, Descriptor(3, 3, 16, 16, 64, 32768)},
        // Older leaves present too, but topology extensions take precedence.
        {{0x80000005, 0}, {0, 0, 64u << 24, 64u << 24}},
    };
    Registers legacy = amd;
    legacy[{0x80000001, 0}] = {};  // no topology extensions
    legacy[{0x80000006, 0}] = {0, 0, 512u << 16, 16u << 18};
    const struct {
        const char* name;
        Registers registers;
        std::vector<CacheInfo> expected;
    } cases[] = {
        {"Intel, leaf 4", intel,
         {{"Data", 1, 48 * 1024, 2}, {"Instruction", 1, 32 * 1024, 2}, {"Unified", 2, 1280 * 1024, 2},
          {"Unified", 3, 36LL * 1024 * 1024, 4}}},
        {"AMD, leaf 0x8000001D", amd, {{"Data", 1, 48 * 1024, 1}, {"Unified", 3, 32LL * 1024 * 1024, 4}}},
        {"AMD, leaves 0x80000005/6", legacy,
         {{"Data", 1, 64 * 1024, 1}, {"Instruction", 1, 64 * 1024, 1}, {"Unified", 2, 512 * 1024, 1},
          {"Unified", 3, 8LL * 1024 * 1024, 4}}},
        {"another vendor", {{{0, 0}, Vendor(0x10, "VIA VIA VIA ")}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bench::CacheReading reading = bench::ReadCaches("/nonexistent/cache", Play(c.registers), 4);
        EXPECT_EQ(reading.caches, c.expected);
        EXPECT_EQ(reading.source, c.expected.empty() ? "" : "cpuid");
    }
}

}  // namespace
