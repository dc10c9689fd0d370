// Kernels compiled as the program's are: each lists its own timed section,
// and the listings show what tells the containers apart.
#include "AsmFunctions.h"
#include "TestKernels.h"
#include "disasm/Listing.h"
#include "disasm/Loops.h"
#include "disasm/TextReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>

namespace {

using disasm::Flow;
using disasm::Listing;

Listing ListOf(const void* function) { return disasm::ListTimedSection(function, disasm::Syntax::Intel); }

Listing ListOf(testkernels::Result (*kernel)(int)) { return ListOf(reinterpret_cast<const void*>(kernel)); }

disasm::LoopSummary MainLoop(const Listing& listing) {
    return disasm::Summarize(listing, listing.loops.at(listing.mainLoop.value()));
}

bool InMainLoop(const Listing& listing, std::size_t index) {
    const auto& body = listing.loops.at(listing.mainLoop.value()).bodyIndices;
    return std::binary_search(body.begin(), body.end(), index);
}

/// Whether the path from index, along jumps and fall-through, calls a
/// function whose name starts with prefix within a few instructions.
bool PathCalls(const Listing& listing, std::size_t index, const std::string& prefix) {
    for (int step = 0; step < 24 && index < listing.instructions.size(); ++step) {
        const disasm::Instruction& instruction = listing.instructions[index];
        if (instruction.flow == Flow::Call && instruction.targetName.starts_with(prefix)) return true;
        if (instruction.successors.empty()) return false;
        index = instruction.successors.back();
    }
    return false;
}

/// Whether a conditional branch of the main loop leaves it for a path that
/// calls a function whose name starts with prefix.
bool LoopBranchesToCall(const Listing& listing, const std::string& prefix) {
    for (std::size_t i = 0; i < listing.instructions.size(); ++i) {
        const disasm::Instruction& instruction = listing.instructions[i];
        if (!InMainLoop(listing, i) || instruction.flow != Flow::ConditionalJump) continue;
        for (std::size_t target : instruction.successors) {
            if (!InMainLoop(listing, target) && PathCalls(listing, target, prefix)) return true;
        }
    }
    return false;
}

struct NamedKernel {
    const char* name;
    testkernels::Result (*kernel)(int);
};

class EveryKernel : public testing::TestWithParam<NamedKernel> {};

TEST_P(EveryKernel, ListsOneLoopInsideItsOwnFunctionBetweenTheClockCalls) {
    const Listing listing = ListOf(GetParam().kernel);
    ASSERT_EQ(listing.error, "");
    EXPECT_NE(listing.kernelName.find(GetParam().name), std::string::npos) << listing.kernelName;
    ASSERT_FALSE(listing.instructions.empty());
    for (const disasm::Instruction& instruction : listing.instructions) {
        EXPECT_GE(instruction.address, listing.kernelAddress);
        EXPECT_LE(instruction.address + instruction.lengthBytes, listing.kernelAddress + listing.kernelSizeBytes);
    }
    EXPECT_NE(listing.startsAfterCall.find("system_clock::now"), std::string::npos) << listing.startsAfterCall;
    const auto t1 = std::find_if(listing.instructions.begin(), listing.instructions.end(), [](const auto& i) {
        return i.flow == Flow::Call && i.targetName.find("system_clock::now") != std::string::npos;
    });
    ASSERT_NE(t1, listing.instructions.end());
    EXPECT_TRUE(t1->successors.empty()) << "the section ends at the t1 call";
    ASSERT_TRUE(listing.mainLoop);
    std::cout << listing.kernelName << ": " << disasm::SummaryLine(listing) << "\n";
#if defined(__clang__)
    // clang follows an unrolled vector loop with loops for the remainder.
    EXPECT_GE(listing.loops.size(), 1u);
#else
    EXPECT_EQ(listing.loops.size(), 1u);
#endif
}

INSTANTIATE_TEST_SUITE_P(TestKernels, EveryKernel,
                         testing::Values(NamedKernel{"FillNewIntArray", testkernels::FillNewIntArray},
                                         NamedKernel{"FillVectorAt", testkernels::FillVectorAt},
                                         NamedKernel{"FillVectorIndex", testkernels::FillVectorIndex},
                                         NamedKernel{"FillVectorPushBack", testkernels::FillVectorPushBack},
                                         NamedKernel{"FillFormattedStrings", testkernels::FillFormattedStrings}),
                         [](const auto& kernel) { return std::string(kernel.param.name); });

TEST(KernelListing, StoreLoopsStoreToMemory) {
    for (auto kernel : {testkernels::FillNewIntArray, testkernels::FillVectorAt, testkernels::FillVectorIndex}) {
        const Listing listing = ListOf(kernel);
        ASSERT_EQ(listing.error, "");
        const disasm::LoopSummary loop = MainLoop(listing);
        ASSERT_FALSE(loop.storeWidthsBytes.empty()) << listing.kernelName;
        for (int width : loop.storeWidthsBytes) EXPECT_TRUE(width == 4 || width == 16 || width == 32) << width;
        if (testkernels::kLibraryInlined) {
            EXPECT_TRUE(loop.callees.empty()) << listing.kernelName;
        }
    }
}

TEST(KernelListing, AtTestsTheIndexAndBranchesToABoundsFailureThatIndexLacks) {
    const Listing at = ListOf(testkernels::FillVectorAt);
    const Listing index = ListOf(testkernels::FillVectorIndex);
    ASSERT_EQ(at.error, "");
    ASSERT_EQ(index.error, "");
    const auto& atLoop = at.loops.at(at.mainLoop.value()).bodyIndices;
    EXPECT_TRUE(
        std::any_of(atLoop.begin(), atLoop.end(), [&](std::size_t i) { return at.instructions[i].mnemonic == "cmp"; }));
    if (testkernels::kLibraryInlined) {
        EXPECT_TRUE(LoopBranchesToCall(at, "std::__throw_out_of_range"));
    } else {
        const auto callees = MainLoop(at).callees;
        EXPECT_TRUE(std::any_of(callees.begin(), callees.end(),
                                [](const auto& c) { return c.find("::at(") != std::string::npos; }));
    }
    EXPECT_FALSE(LoopBranchesToCall(index, "std::__throw_"));
    for (const disasm::Instruction& instruction : index.instructions) {
        EXPECT_EQ(instruction.targetName.find("__throw_out_of_range"), std::string::npos);
    }
}

TEST(KernelListing, TheSectionStopsAtCallsThatNeverReturn) {
    const Listing at = ListOf(testkernels::FillVectorAt);
    ASSERT_EQ(at.error, "");
    for (const disasm::Instruction& call : at.instructions) {
        if (call.flow == Flow::Call && call.targetName.starts_with("std::__throw_")) {
            EXPECT_TRUE(call.successors.empty()) << "nothing follows " << call.targetName;
        }
    }
}

TEST(KernelListing, PushBackWithoutReserveReachesACallInsideTheLoop) {
    const Listing listing = ListOf(testkernels::FillVectorPushBack);
    ASSERT_EQ(listing.error, "");
    const disasm::LoopSummary loop = MainLoop(listing);
    EXPECT_FALSE(loop.callees.empty());
    EXPECT_FALSE(loop.storeWidthsBytes.empty());
}

TEST(KernelListing, TheStringLoopCallsFormattingThroughThePlt) {
    const Listing listing = ListOf(testkernels::FillFormattedStrings);
    ASSERT_EQ(listing.error, "");
    const disasm::LoopSummary loop = MainLoop(listing);
    EXPECT_NE(std::find(loop.callees.begin(), loop.callees.end(), "swprintf"), loop.callees.end());
}

TEST(KernelListing, SaysWhyItShowsNoSection) {
    const Listing unmarked = ListOf(testkernels::FillUnmarked);
    EXPECT_NE(unmarked.error.find("no timed-section markers"), std::string::npos) << unmarked.error;
    EXPECT_TRUE(unmarked.instructions.empty());

    const Listing duplicated = ListOf(reinterpret_cast<const void*>(&velquor_asm_duplicated_marker));
    EXPECT_NE(duplicated.error.find("2 begin and 1 end markers"), std::string::npos) << duplicated.error;
    EXPECT_TRUE(duplicated.instructions.empty());

    const Listing unreachable = ListOf(reinterpret_cast<const void*>(&velquor_asm_unreachable_end));
    EXPECT_NE(unreachable.error.find("cannot be reached"), std::string::npos) << unreachable.error;
    EXPECT_TRUE(unreachable.instructions.empty());

    // An address inside a function is no kernel: never list the code around it.
    const Listing inside =
        ListOf(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(&velquor_asm_fill) + 6));
    EXPECT_NE(inside.error.find("is not the start of a function"), std::string::npos) << inside.error;
    EXPECT_TRUE(inside.instructions.empty());
}

}  // namespace
