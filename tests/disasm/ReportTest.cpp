// The listing as text and as JSON, with and without shares, and the samples
// the shares are of.
#include "AsmFunctions.h"
#include "disasm/HotSpots.h"
#include "disasm/JsonReport.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <string>

namespace {

using namespace std::chrono_literals;

disasm::Listing AsmListing() {
    return disasm::ListTimedSection(reinterpret_cast<const void*>(&velquor_asm_fill), disasm::Syntax::Intel);
}

/// Shares of 100 samples: 50 on the loop's store, 30 in one callee, 20 elsewhere.
disasm::HotShares SomeShares(const disasm::Listing& listing) {
    disasm::HotShares shares;
    shares.totalSamples = 100;
    shares.instructionSamples.assign(listing.instructions.size(), 0);
    shares.instructionSamples[6] = 50;
    shares.outside = {{"operator new[](unsigned long)", 30}};
    shares.otherSamples = 20;
    return shares;
}

TEST(TextReport, ASummaryThenOneLinePerInstructionWithTheLoopMarkedAndTheSharesBeside) {
    EXPECT_EQ(disasm::SummaryLine(AsmListing()), "loop: 6 instructions, 1 store per iteration (4 bytes), no calls");
    disasm::Listing failed;
    failed.error = "no timed-section markers in f()";
    EXPECT_EQ(disasm::SummaryLine(failed), "no listing: no timed-section markers in f()");

    const disasm::Listing listing = AsmListing();
    const disasm::HotShares shares = SomeShares(listing);
    std::ostringstream out;
    disasm::WriteListingText(out, listing, &shares);
    const std::string text = out.str();
    const auto line = [&](const char* offset) {
        const std::size_t at = text.find(offset), start = text.rfind('\n', at) + 1;
        return at == std::string::npos ? std::string() : text.substr(start, text.find('\n', at) - start);
    };
    for (const auto& [offset, part] : {std::pair{"+0x0010", "L> cmp"}, {"+0x0015", " 50.0%"}, {"+0x0015", "L  mov"},
                                       {"+0x001f", "L< jnz"}, {"+0x002b", "call"}}) {
        EXPECT_NE(line(offset).find(part), std::string::npos) << line(offset);
    }
    EXPECT_EQ(line("+0x0021").find('L'), std::string::npos) << line("+0x0021");
    // The failure path stands apart; the samples' summary, and those outside the section.
    for (const char* part : {"        ...\n", "100 samples (0 lost), 50.0% in the loop", " 30.0%  operator new[](unsigned long)\n",
                             " 20.0%  other\n"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
}

std::string Json(const disasm::Listing& listing, const disasm::HotShares& shares) {
    std::ostringstream out;
    disasm::WriteListingJson(out, listing, &shares);
    return out.str();
}

TEST(JsonReport, CarriesTheSameDataAsTheText) {
    const disasm::Listing listing = AsmListing();
    const std::string json = Json(listing, SomeShares(listing));
    for (const char* part : {"\"loop\": {\"head_offset\": 16, \"back_branch_offset\": 31, \"instructions\": 6, \"stores_bytes\": [4], "
                             "\"calls\": [], \"share_percent\": 50.000}",
                             "{\"offset\": 21, \"mnemonic\": \"mov\", \"operands\": \"dword ptr [rdi+rax*4], eax\", \"target\": null, "
                             "\"data\": null, \"in_loop\": true, \"after_gap\": false, \"stores_bytes\": [4], \"samples\": 50, "
                             "\"share_percent\": 50.000}",
                             "\"target\": \"velquor_asm_fail\"",
                             "\"outside\": [{\"name\": \"operator new[](unsigned long)\", \"samples\": 30"}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    }
    disasm::HotShares refused;
    refused.refusal = "sampling refused: test";
    const std::string refusedJson = Json(listing, refused);
    EXPECT_NE(refusedJson.find("\"hot\": {\"refusal\": \"sampling refused: test\"}"), std::string::npos);
    EXPECT_EQ(refusedJson.find("share_percent"), std::string::npos);

    // Names and errors are JSON strings, whatever they hold; a failed listing has no loop.
    disasm::Listing failed;
    failed.kernelName = "f<\"quoted\">(char const*)\t";
    failed.error = "no timed-section markers in \\ f";
    EXPECT_EQ(Json(failed, SomeShares(listing)),
              "{\n  \"kernel\": \"f<\\\"quoted\\\">(char const*)\\u0009\",\n  \"folded_into\": null,\n  \"size_bytes\": 0,\n"
              "  \"syntax\": \"intel\",\n  \"error\": \"no timed-section markers in \\\\ f\",\n"
              "  \"starts_after_call\": null,\n  \"loop\": null,\n  \"loops\": [],\n  \"instructions\": [],\n"
              "  \"hot\": null\n}\n");
}

// Sampling a kernel while it runs: where each sample is counted, and why
// the system refused to sample.
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
        listing.kernelAddress + listing.kernelSizeBytes,  // the padding after it: the program's, not the kernel's
    };
    profile.lostSamples = 2;
    const disasm::HotShares shares = disasm::AttributeSamples(listing, profile);
    EXPECT_EQ(shares.totalSamples, 10u);
    EXPECT_EQ(shares.lostSamples, 2u);
    EXPECT_EQ(shares.instructionSamples[6], 3u);
    EXPECT_EQ(shares.instructionSamples[0], 1u);
    ASSERT_EQ(shares.outside.size(), 3u);
    EXPECT_EQ(shares.outside[0].name, "velquor_asm_clock");
    EXPECT_EQ(shares.outside[1].name, "velquor_asm_fill (outside the timed section)");
    EXPECT_EQ(shares.outside[0].samples + shares.outside[1].samples, 4u);
    EXPECT_EQ(shares.outside[2].name.find("velquor_asm"), std::string::npos) << shares.outside[2].name;
    EXPECT_EQ(shares.otherSamples, 1u);
    EXPECT_EQ(disasm::LoopSamples(shares, listing.loops.at(listing.mainLoop.value())), 3u);
    EXPECT_DOUBLE_EQ(shares.Percent(3), 30.0);
    EXPECT_EQ(disasm::HotShares{}.Percent(0), 0.0);
}

TEST(HotSpots, ARefusedSampleSaysWhyInOneLine) {
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
        // It reaches the listing as it is (the line it adds: KernelMenuTest, DisasmCommandTest).
        EXPECT_EQ(disasm::AttributeSamples(listing, profile).refusal, profile.refusal);
    }
}

}  // namespace
