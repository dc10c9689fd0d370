// The listing as text and as JSON, with and without shares.
#include "AsmFunctions.h"
#include "disasm/JsonReport.h"
#include "disasm/Listing.h"
#include "disasm/TextReport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TextReport, SummaryLineTellsWhatOneIterationDoes) {
    EXPECT_EQ(disasm::SummaryLine(AsmListing()), "loop: 6 instructions, 1 store per iteration (4 bytes), no calls");
    disasm::Listing failed;
    failed.error = "no timed-section markers in f()";
    EXPECT_EQ(disasm::SummaryLine(failed), "no listing: no timed-section markers in f()");
}

TEST(TextReport, OneLinePerInstructionWithTheLoopMarkedAndTheSharesBeside) {
    const disasm::Listing listing = AsmListing();
    const disasm::HotShares shares = SomeShares(listing);
    std::ostringstream out;
    disasm::WriteListingText(out, listing, &shares);
    const std::vector<std::string> lines = Lines(out.str());
    const auto line = [&](const std::string& offset) {
        for (const std::string& l : lines) {
            if (l.find(offset) != std::string::npos) return l;
        }
        return std::string();
    };
    EXPECT_NE(line("+0x0010").find("L> cmp"), std::string::npos) << line("+0x0010");
    EXPECT_NE(line("+0x0015").find(" 50.0%"), std::string::npos) << line("+0x0015");
    EXPECT_NE(line("+0x0015").find("L  mov"), std::string::npos) << line("+0x0015");
    EXPECT_NE(line("+0x001f").find("L< jnz"), std::string::npos) << line("+0x001f");
    EXPECT_EQ(line("+0x0021").find("L"), std::string::npos) << line("+0x0021");
    EXPECT_NE(line("+0x002b").find("call"), std::string::npos);
    EXPECT_NE(out.str().find("        ...\n"), std::string::npos) << "the failure path stands apart";
    EXPECT_NE(out.str().find("100 samples (0 lost), 50.0% in the loop"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(" 30.0%  operator new[](unsigned long)\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(" 20.0%  other\n"), std::string::npos) << out.str();
}

TEST(JsonReport, CarriesTheSameDataAsTheText) {
    const disasm::Listing listing = AsmListing();
    const disasm::HotShares shares = SomeShares(listing);
    std::ostringstream out;
    disasm::WriteListingJson(out, listing, &shares);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"loop\": {\"head_offset\": 16, \"back_branch_offset\": 31, \"instructions\": 6, "
                        "\"stores_bytes\": [4], \"calls\": [], \"share_percent\": 50.000}"),
              std::string::npos)
        << json;
    EXPECT_NE(
        json.find("{\"offset\": 21, \"mnemonic\": \"mov\", \"operands\": \"dword ptr [rdi+rax*4], eax\", "
                  "\"target\": null, \"data\": null, \"in_loop\": true, \"after_gap\": false, \"stores_bytes\": [4], "
                  "\"samples\": 50, \"share_percent\": 50.000}"),
        std::string::npos)
        << json;
    EXPECT_NE(json.find("\"target\": \"velquor_asm_fail\""), std::string::npos);
    EXPECT_NE(json.find("\"outside\": [{\"name\": \"operator new[](unsigned long)\", \"samples\": 30"),
              std::string::npos);

    disasm::HotShares refused;
    refused.refusal = "sampling refused: test";
    std::ostringstream refusedOut;
    disasm::WriteListingJson(refusedOut, listing, &refused);
    EXPECT_NE(refusedOut.str().find("\"hot\": {\"refusal\": \"sampling refused: test\"}"), std::string::npos);
    EXPECT_EQ(refusedOut.str().find("share_percent"), std::string::npos);

    // Names and errors are JSON strings, whatever they hold; a failed listing has no loop.
    disasm::Listing failed;
    failed.kernelName = "f<\"quoted\">(char const*)\t";
    failed.error = "no timed-section markers in \\ f";
    std::ostringstream failedOut;
    disasm::WriteListingJson(failedOut, failed, &shares);
    EXPECT_EQ(failedOut.str(),
              "{\n  \"kernel\": \"f<\\\"quoted\\\">(char const*)\\u0009\",\n  \"folded_into\": null,\n  \"size_bytes\": 0,\n"
              "  \"syntax\": \"intel\",\n  \"error\": \"no timed-section markers in \\\\ f\",\n"
              "  \"starts_after_call\": null,\n  \"loop\": null,\n  \"loops\": [],\n  \"instructions\": [],\n"
              "  \"hot\": null\n}\n");
}

}  // namespace
