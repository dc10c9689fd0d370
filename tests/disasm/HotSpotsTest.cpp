// Sampling a kernel while it runs: where each sample is counted, and what the
// listing says when the system refuses to sample.
#include "AsmFunctions.h"
#include "bench/Kernels.h"
#include "disasm/HotSpots.h"
#include "disasm/KernelProfile.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

namespace {

using namespace std::chrono_literals;

disasm::Listing AsmListing() {
    return disasm::ListTimedSection(reinterpret_cast<const void*>(&velquor_asm_fill), disasm::Syntax::Intel);
}

TEST(HotSpots, EachSampleCountsForItsInstructionElseItsFunctionElseOther) {
    const disasm::Listing listing = AsmListing();
    ASSERT_EQ(listing.error, "");
    const std::uint64_t store = listing.instructions[6].address;  // in the loop
    const std::uint64_t clock = reinterpret_cast<std::uint64_t>(&velquor_asm_clock);
    disasm::HotProfile profile;
    profile.sampleAddresses = {
        store, store + 1, store,           // within the store's bytes
        listing.instructions[0].address,   // the section's first instruction
        listing.kernelAddress,             // the kernel before its section
        listing.kernelAddress + listing.kernelSizeBytes - 1,  // and after it
        clock, clock,                      // another function
        8,                                 // no function at all
    };
    profile.lostSamples = 2;
    const disasm::HotShares shares = disasm::AttributeSamples(listing, profile);
    EXPECT_EQ(shares.totalSamples, 9u);
    EXPECT_EQ(shares.lostSamples, 2u);
    EXPECT_EQ(shares.instructionSamples[6], 3u);
    EXPECT_EQ(shares.instructionSamples[0], 1u);
    ASSERT_EQ(shares.outside.size(), 2u);
    EXPECT_EQ(shares.outside[0].name, "velquor_asm_clock");
    EXPECT_EQ(shares.outside[1].name, "velquor_asm_fill (outside the timed section)");
    EXPECT_EQ(shares.outside[0].samples + shares.outside[1].samples, 4u);
    EXPECT_EQ(shares.otherSamples, 1u);
    EXPECT_EQ(disasm::LoopSamples(shares, listing.loops.at(listing.mainLoop.value())), 3u);
    EXPECT_DOUBLE_EQ(shares.Percent(3), 100.0 / 3);
    EXPECT_EQ(disasm::HotShares{}.Percent(0), 0.0);
}

TEST(HotSpots, ARunningKernelIsSampledAndEverySampleCountedOnce) {
    const disasm::Listing listing = disasm::ListTimedSection(reinterpret_cast<const void*>(&bench::FillNewIntArray));
    ASSERT_EQ(listing.error, "");
    const disasm::HotShares shares = disasm::ProfileKernel(listing, &bench::FillNewIntArray, 100000, 100ms);
    if (!shares.refusal.empty()) GTEST_SKIP() << shares.refusal;
    EXPECT_GE(shares.runs, 1);
    std::uint64_t attributed = shares.otherSamples;
    for (std::uint64_t samples : shares.instructionSamples) attributed += samples;
    for (const disasm::FunctionSamples& function : shares.outside) attributed += function.samples;
    EXPECT_EQ(attributed, shares.totalSamples);
    // How many samples a busy machine leaves is its own affair; those taken are of this process's code.
    EXPECT_TRUE(shares.totalSamples == 0 || shares.otherSamples < shares.totalSamples) << shares.otherSamples;
}

TEST(HotSpots, ARefusedSampleSaysWhyInOneLineAndTheListingKeepsNoShares) {
    const disasm::Listing listing = AsmListing();
    ASSERT_EQ(listing.error, "");
    static int refusedWith;
    const auto refuse = [](perf_event_attr&) {
        errno = refusedWith;
        return -1;
    };
    for (const auto& [error, reason] : {std::pair{EACCES, "perf_event_paranoid"}, std::pair{EPERM, "perf_event_paranoid"},
                                        std::pair{ENOENT, "task-clock"}, std::pair{ENOSYS, "not available"}}) {
        refusedWith = error;
        bool ran = false;
        const disasm::HotProfile profile = disasm::Sample([&] { ran = true; }, 1ms, refuse);
        EXPECT_FALSE(ran) << "nothing is run that nobody samples";
        EXPECT_TRUE(profile.refusal.starts_with("sampling refused")) << profile.refusal;
        EXPECT_NE(profile.refusal.find(reason), std::string::npos) << profile.refusal;
        EXPECT_EQ(profile.refusal.find('\n'), std::string::npos);
        EXPECT_TRUE(profile.sampleAddresses.empty());

        // The notice is the only line the refusal adds to the listing.
        const disasm::HotShares shares = disasm::AttributeSamples(listing, profile);
        std::ostringstream text, plain;
        disasm::WriteListingText(text, listing, &shares);
        disasm::WriteListingText(plain, listing, nullptr);
        std::string withNotice = plain.str();
        withNotice.insert(withNotice.find('\n', withNotice.find('\n') + 1) + 1, profile.refusal + "\n");
        EXPECT_EQ(text.str(), withNotice);
    }
}

}  // namespace
