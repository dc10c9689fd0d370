// The decoder integration, exactly: functions written in assembly list as
// the instructions they were written with.
#include "AsmFunctions.h"
#include "disasm/Decoder.h"
#include "disasm/Listing.h"
#include "disasm/Loops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using disasm::Flow;
using disasm::Listing;
using disasm::Syntax;

std::vector<std::string> Mnemonics(const Listing& listing) {
    std::vector<std::string> mnemonics;
    for (const auto& instruction : listing.instructions) mnemonics.push_back(instruction.mnemonic);
    return mnemonics;
}

TEST(AsmListing, ListsExactlyTheInstructionsOfTheTimedSection) {
    const Listing listing = disasm::ListTimedSection(reinterpret_cast<const void*>(&velquor_asm_fill), Syntax::Intel);
    ASSERT_EQ(listing.error, "");
    EXPECT_EQ(listing.kernelName, "velquor_asm_fill");
    // From the move that saves t0 (before the begin marker) to the t1 call,
    // and the failure path the loop jumps to, up to the call that never returns.
    EXPECT_EQ(Mnemonics(listing), (std::vector<std::string>{"mov", "xor", "test", "jz", "cmp", "jnb", "mov", "add",
                                                            "cmp", "jnz", "mov", "call", "call"}));
    EXPECT_EQ(listing.startsAfterCall, "velquor_asm_clock");
    EXPECT_EQ(listing.instructions[0].operands, "rbx, rax");
    EXPECT_EQ(listing.instructions[6].operands, "dword ptr [rdi+rax*4], eax");
    EXPECT_EQ(listing.instructions[11].targetName, "velquor_asm_clock");
    EXPECT_EQ(listing.instructions[12].targetName, "velquor_asm_fail");
    EXPECT_TRUE(listing.instructions[12].afterGap);
    // The jumps name their targets by offset in the function.
    EXPECT_EQ(listing.instructions[3].operands, "+0x21");
    EXPECT_EQ(listing.instructions[9].operands, "+0x10");
    EXPECT_EQ(listing.instructions[4].offsetBytes, 0x10u);
}

TEST(AsmListing, MarksTheLoopFromItsHeadToTheBackwardBranch) {
    const Listing listing = disasm::ListTimedSection(reinterpret_cast<const void*>(&velquor_asm_fill), Syntax::Intel);
    ASSERT_EQ(listing.error, "");
    ASSERT_EQ(listing.loops.size(), 1u);
    ASSERT_EQ(listing.mainLoop, 0u);
    const disasm::Loop& loop = listing.loops[0];
    EXPECT_EQ(loop.headIndex, 4u);
    EXPECT_EQ(loop.backBranchIndex, 9u);
    EXPECT_EQ(loop.bodyIndices, (std::vector<std::size_t>{4, 5, 6, 7, 8, 9}));
    const disasm::LoopSummary summary = disasm::Summarize(listing, loop);
    EXPECT_EQ(summary.storeWidthsBytes, std::vector<int>{4});
    EXPECT_TRUE(summary.callees.empty());
}

TEST(AsmListing, AttSyntaxWritesTheSourceFirst) {
    const Listing listing = disasm::ListTimedSection(reinterpret_cast<const void*>(&velquor_asm_fill), Syntax::Att);
    ASSERT_EQ(listing.error, "");
    ASSERT_EQ(listing.instructions.size(), 13u);
    EXPECT_EQ(listing.instructions[0].operands, "%rax, %rbx");
    EXPECT_EQ(listing.instructions[6].mnemonic, "movl");
    EXPECT_EQ(listing.instructions[6].operands, "%eax, (%rdi,%rax,4)");
    EXPECT_EQ(listing.instructions[9].operands, "+0x10");
}

TEST(Decoder, StoreWidthsCountMemoryWritesButNotACallsPush) {
    const disasm::Decoder decoder(Syntax::Intel);
    const auto decode = [&](std::vector<std::uint8_t> bytes) { return decoder.Decode(bytes, 0x1000); };
    EXPECT_EQ(decode({0x0f, 0x11, 0x48, 0xf0})->storeWidthsBytes, std::vector<int>{16});  // movups [rax-0x10], xmm1
    EXPECT_EQ(decode({0xc5, 0xfe, 0x7f, 0x07})->storeWidthsBytes, std::vector<int>{32});  // vmovdqu [rdi], ymm0
    EXPECT_EQ(decode({0xf3, 0x48, 0xab})->storeWidthsBytes, std::vector<int>{8});         // rep stosq
    EXPECT_EQ(decode({0x8b, 0x07})->storeWidthsBytes, std::vector<int>{});                // mov eax, [rdi]
    const auto call = decode({0xe8, 0x10, 0, 0, 0});
    ASSERT_TRUE(call);
    EXPECT_EQ(call->flow, Flow::Call);
    EXPECT_EQ(call->storeWidthsBytes, std::vector<int>{});
    EXPECT_EQ(call->directTarget, 0x1015u);
    const auto slotJump = decode({0xff, 0x25, 0x00, 0x10, 0, 0});  // jmp [rip+0x1000]
    ASSERT_TRUE(slotJump);
    EXPECT_EQ(slotJump->flow, Flow::Jump);
    EXPECT_EQ(slotJump->ripTarget, 0x2006u);
    EXPECT_EQ(decode({0x0f, 0x0b})->flow, Flow::Stop);  // ud2
}

TEST(Decoder, AnInstructionCutShortIsNoInstruction) {
    const disasm::Decoder decoder(Syntax::Intel);
    const std::vector<std::uint8_t> movups{0x0f, 0x11, 0x48, 0xf0};
    EXPECT_FALSE(decoder.Decode(std::span(movups).first(3), 0x1000));
    EXPECT_FALSE(decoder.Decode({}, 0x1000));
}

}  // namespace
