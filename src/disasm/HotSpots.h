// The samples of a profile set against a listing: each instruction's share,
// and for the samples that fell outside it, the function they fell in.
// A sample's address is that of the instruction about to run when the timer
// fired, so the time of a slow instruction (a store that misses) shows on the
// one after it, as in perf annotate.
#pragma once

#include "Listing.h"
#include "Sampler.h"

#include <cstdint>
#include <string>
#include <vector>

namespace disasm {

/// Samples that fell in one function outside the listing.
struct FunctionSamples {
    /// Demangled name of the function, the PLT import, or the shared library.
    std::string name;
    /// Samples that fell in it.
    std::uint64_t samples = 0;
};

/// Where the samples of a profile fell.
struct HotShares {
    /// Why there are no samples (the profile's refusal); empty when sampled.
    std::string refusal;
    /// Every sample taken; the three groups below add up to it.
    std::uint64_t totalSamples = 0;
    /// Samples the kernel dropped, not part of totalSamples.
    std::uint64_t lostSamples = 0;
    /// How often the sampled code ran.
    int runs = 0;
    /// Samples on each instruction of the listing, by listing index.
    std::vector<std::uint64_t> instructionSamples;
    /// Samples outside the listing, per function, most first. The kernel's
    /// own code outside the timed section (preparation, release) appears
    /// under its name with " (outside the timed section)".
    std::vector<FunctionSamples> outside;
    /// Samples at addresses no symbol or library holds.
    std::uint64_t otherSamples = 0;

    /// samples as a percentage of totalSamples (0 when nothing was sampled).
    double Percent(std::uint64_t samples) const;
};

/// Attributes each sample of profile to an instruction of listing (the one
/// whose bytes hold its address), else to the function holding it, else to
/// "other".
HotShares AttributeSamples(const Listing& listing, const HotProfile& profile);

/// The samples of the instructions of loop.
std::uint64_t LoopSamples(const HotShares& shares, const Loop& loop);

}  // namespace disasm
