// The build variants of the kernels: the kernel files compiled several times
// into the one program, at several optimisation levels and for several
// instruction sets, each into a namespace of its own (bench::O0, ...; the
// default build's kernels are bench's own). The window, the batch mode and
// the disassembler read this table to offer, run and show them.
//
// Each non-default variant gets private copies of every inline function and
// template instantiation its kernels use, so that a variant's kernels only
// ever run their own variant's code, and the default kernels never run code
// built for another optimisation level or instruction set.
#pragma once

#include "Kernels.h"

#include <array>
#include <functional>
#include <span>
#include <string_view>

namespace bench {

struct ButtonSpec;

/// One build's kernels, in the order of kButtons.
using KernelTable = std::array<KernelFunction, kKernelCount>;

/// What one compilation of the kernel files exports (KernelTable.cpp).
struct KernelBuild {
    /// The compiler flags its kernel files were built with, as the build passed them.
    std::string_view compileFlags;
    KernelTable kernels;
};

/// One build variant of the kernels.
struct Variant {
    /// Short name: the --variant name and the suffix of report names ("O0", "avx2").
    std::string_view name;
    /// One line in English: what the variant shows.
    std::string_view description;
    /// The CPU level its code needs, as __builtin_cpu_supports names it
    /// ("x86-64-v3"); empty when any x86-64 CPU runs it.
    std::string_view cpuRequirement;
    /// The window and the batch mode run this one unless the user chooses.
    bool isDefault;
    const KernelBuild* build;
};

/// Every variant, from the least optimised to the most; the default among them.
std::span<const Variant> Variants();

/// The variant the program runs unless told otherwise.
const Variant& DefaultVariant();

/// The variant of that name, or nullptr.
const Variant* FindVariant(std::string_view name);

/// False when this CPU lacks what the variant's code needs: its kernels must not run.
bool IsAvailable(const Variant& variant);

/// The variant's kernel for the button with this id; nullptr for an id
/// that is no benchmark button.
KernelFunction KernelOf(const Variant& variant, int buttonId);

/// Answers whether this CPU supports a level such as "x86-64-v3".
using CpuCheck = std::function<bool(std::string_view cpuRequirement)>;

/// Replaces the CPU check, so that tests can play a CPU without AVX2;
/// nullptr restores the real one (__builtin_cpu_supports).
void SetCpuCheck(CpuCheck check);

}  // namespace bench
