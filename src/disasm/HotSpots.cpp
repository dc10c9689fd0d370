#include "HotSpots.h"

#include "Symbols.h"

#include <algorithm>
#include <map>

namespace disasm {

double HotShares::Percent(std::uint64_t samples) const {
    return totalSamples == 0 ? 0.0 : 100.0 * static_cast<double>(samples) / static_cast<double>(totalSamples);
}

HotShares AttributeSamples(const Listing& listing, const HotProfile& profile) {
    HotShares shares;
    shares.refusal = profile.refusal;
    shares.totalSamples = profile.sampleAddresses.size();
    shares.lostSamples = profile.lostSamples;
    shares.runs = profile.runs;
    shares.instructionSamples.assign(listing.instructions.size(), 0);

    const Symbolizer symbolizer(ProgramImage::Self());
    std::map<std::string, std::uint64_t> byFunction;
    for (std::uint64_t address : profile.sampleAddresses) {
        // The listing is in address order: the candidate is the last
        // instruction starting at or before the address.
        const auto it = std::upper_bound(listing.instructions.begin(), listing.instructions.end(), address,
                                         [](std::uint64_t a, const Instruction& i) { return a < i.address; });
        if (it != listing.instructions.begin() && address - std::prev(it)->address < std::prev(it)->lengthBytes) {
            ++shares.instructionSamples[static_cast<std::size_t>(std::prev(it) - listing.instructions.begin())];
            continue;
        }
        const std::optional<AddressName> function = symbolizer.FunctionAt(address);
        if (!function) {
            ++shares.otherSamples;
        } else if (address - listing.kernelAddress < listing.kernelSizeBytes) {
            ++byFunction[function->name + " (outside the timed section)"];
        } else {
            ++byFunction[function->name];
        }
    }
    for (const auto& [name, samples] : byFunction) shares.outside.push_back({name, samples});
    std::stable_sort(shares.outside.begin(), shares.outside.end(),
                     [](const FunctionSamples& a, const FunctionSamples& b) { return a.samples > b.samples; });
    return shares;
}

std::uint64_t LoopSamples(const HotShares& shares, const Loop& loop) {
    std::uint64_t samples = 0;
    for (std::size_t i : loop.bodyIndices) {
        if (i < shares.instructionSamples.size()) samples += shares.instructionSamples[i];
    }
    return samples;
}

}  // namespace disasm
