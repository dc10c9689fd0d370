// Sampling a kernel while it runs, and what the listing says when the system
// refuses it.
#include "TestKernels.h"
#include "disasm/HotSpots.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

namespace {

using namespace std::chrono_literals;

disasm::Listing NewIntArrayListing() {
    return disasm::ListTimedSection(reinterpret_cast<const void*>(&testkernels::FillNewIntArray),
                                    disasm::Syntax::Intel);
}

TEST(HotSpots, SharesAddUpAndAStoreLoopSpendsMostOfItsTimeInTheLoop) {
    const disasm::Listing listing = NewIntArrayListing();
    ASSERT_EQ(listing.error, "");
    const disasm::HotProfile profile = disasm::Sample([] { testkernels::FillNewIntArray(100000); }, 500ms);
    if (!profile.refusal.empty()) GTEST_SKIP() << profile.refusal;
    const disasm::HotShares shares = disasm::AttributeSamples(listing, profile);

    ASSERT_GT(shares.totalSamples, 100u) << "half a second at one sample per 100 us of CPU time";
    std::uint64_t attributed = shares.otherSamples;
    for (std::uint64_t samples : shares.instructionSamples) attributed += samples;
    for (const disasm::FunctionSamples& function : shares.outside) attributed += function.samples;
    EXPECT_EQ(attributed, shares.totalSamples);

    const double loopPercent = shares.Percent(disasm::LoopSamples(shares, listing.loops.at(listing.mainLoop.value())));
    std::cout << "new int[100000]: " << shares.totalSamples << " samples over " << profile.runs << " runs, "
              << loopPercent << "% in the marked loop\n";
    // Where the loop calls the library for each element, the samples go there.
    if (testkernels::kLibraryInlined) {
        EXPECT_GE(loopPercent, 50.0);
    }
}

TEST(HotSpots, ARefusedSampleGivesOneLineAndTheListingWithoutShares) {
    const disasm::Listing listing = NewIntArrayListing();
    ASSERT_EQ(listing.error, "");
    bool ran = false;
    const disasm::HotProfile profile = disasm::Sample([&] { ran = true; }, 500ms,
                                                      [](perf_event_attr&) {
                                                          errno = EACCES;
                                                          return -1;
                                                      });
    EXPECT_FALSE(ran) << "nothing is run that nobody samples";
    EXPECT_NE(profile.refusal.find("sampling refused"), std::string::npos);
    EXPECT_NE(profile.refusal.find("perf_event_paranoid"), std::string::npos) << profile.refusal;
    EXPECT_EQ(profile.refusal.find('\n'), std::string::npos);

    const disasm::HotShares shares = disasm::AttributeSamples(listing, profile);
    std::ostringstream text;
    disasm::WriteListingText(text, listing, &shares);
    std::ostringstream plain;
    disasm::WriteListingText(plain, listing, nullptr);
    // The notice is the only line the refusal adds.
    std::string withNotice = plain.str();
    withNotice.insert(withNotice.find('\n', withNotice.find('\n') + 1) + 1, profile.refusal + "\n");
    EXPECT_EQ(text.str(), withNotice);
}

TEST(HotSpots, EachWayOfRefusingSaysWhy) {
    static int refusedWith;
    const auto refuse = [](perf_event_attr&) {
        errno = refusedWith;
        return -1;
    };
    for (const auto& [error, reason] : {std::pair{EPERM, "perf_event_paranoid"}, std::pair{ENOENT, "task-clock"},
                                        std::pair{ENOSYS, "not available"}}) {
        refusedWith = error;
        const disasm::HotProfile profile = disasm::Sample([] {}, 1ms, refuse);
        EXPECT_TRUE(profile.refusal.starts_with("sampling refused")) << profile.refusal;
        EXPECT_NE(profile.refusal.find(reason), std::string::npos) << profile.refusal;
        EXPECT_TRUE(profile.sampleAddresses.empty());
    }
}

}  // namespace
