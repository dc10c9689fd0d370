#include "Variants.h"

#include "Buttons.h"

#include <algorithm>

// Each compilation of the kernel files exports its table (KernelTable.cpp).
namespace bench {
extern const KernelBuild kKernelBuild;
}
namespace bench::O0 {
extern const KernelBuild kKernelBuild;
}
namespace bench::O2 {
extern const KernelBuild kKernelBuild;
}
namespace bench::avx2 {
extern const KernelBuild kKernelBuild;
}

namespace bench {
namespace {

const std::array<Variant, 4> kVariants{{
    {"O0", "-O0: as a debug build runs the kernels (no optimisation, no library checks)", "", false,
     &O0::kKernelBuild},
    {"O2", "-O2: the common release level", "", false, &O2::kKernelBuild},
    {"O3", "-O3 for any x86-64 CPU: the program's own build", "", true, &kKernelBuild},
    {"avx2", "-O3 -march=x86-64-v3: 32-byte AVX2 stores, for CPUs that have them", "x86-64-v3", false,
     &avx2::kKernelBuild},
}};

bool CpuSupports(std::string_view cpuRequirement) {
    // __builtin_cpu_supports takes a literal; the table names only these levels.
    if (cpuRequirement == "x86-64-v3") return __builtin_cpu_supports("x86-64-v3");
    if (cpuRequirement == "x86-64-v2") return __builtin_cpu_supports("x86-64-v2");
    return false;
}

CpuCheck& CurrentCpuCheck() {
    static CpuCheck check;
    return check;
}

}  // namespace

std::span<const Variant> Variants() {
    return kVariants;
}

const Variant& DefaultVariant() {
    return *std::find_if(kVariants.begin(), kVariants.end(), [](const Variant& v) { return v.isDefault; });
}

const Variant* FindVariant(std::string_view name) {
    const auto it = std::find_if(kVariants.begin(), kVariants.end(), [&](const Variant& v) { return v.name == name; });
    return it == kVariants.end() ? nullptr : &*it;
}

bool IsAvailable(const Variant& variant) {
    if (variant.cpuRequirement.empty()) return true;
    const CpuCheck& check = CurrentCpuCheck();
    return check ? check(variant.cpuRequirement) : CpuSupports(variant.cpuRequirement);
}

KernelFunction KernelOf(const Variant& variant, int buttonId) {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].buttonId == buttonId) return variant.build->kernels[i];
    }
    return nullptr;
}

void SetCpuCheck(CpuCheck check) {
    CurrentCpuCheck() = std::move(check);
}

}  // namespace bench
